// RGBA pictures for tests: reading, writing, pixels and their comparison.
#include "test_image.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "png_io.h"

std::ostream& operator<<(std::ostream& out, const Pixel& p) {
    return out << "(" << p.r << ", " << p.g << ", " << p.b << ", " << p.a << ")";
}

Pixel RgbaImage::at(int x, int y) const {
    assert(rgba.size() == static_cast<std::size_t>(width) * height * 4);
    if (x < 0 || x >= width || y < 0 || y >= height) {
        if (!outside_reported)
            ADD_FAILURE() << "pixel (" << x << ", " << y << ") is outside the " << width << "x" << height << " image";
        outside_reported = true;
        return {-1, -1, -1, -1};
    }
    const std::uint8_t* p = &rgba[(static_cast<std::size_t>(y) * width + x) * 4];
    return {p[0], p[1], p[2], p[3]};
}

::testing::AssertionResult read_image(const std::string& path, RgbaImage& image) {
    std::string error;
    if (!read_png_rgba(path, image.width, image.height, image.rgba, error))
        return ::testing::AssertionFailure() << error;
    return ::testing::AssertionSuccess() << path << ": " << image.width << "x" << image.height;
}

::testing::AssertionResult write_image(const std::string& path, const RgbaImage& image) {
    assert(image.rgba.size() == static_cast<std::size_t>(image.width) * image.height * 4);
    std::string error;
    if (!write_png_rgba(path, image.width, image.height, image.rgba.data(), error))
        return ::testing::AssertionFailure() << error;
    return ::testing::AssertionSuccess() << "wrote " << path;
}

namespace {

void print_colour(std::ostream& out, const Pixel& p) { out << "(" << p.r << ", " << p.g << ", " << p.b << ")"; }

}  // namespace

::testing::AssertionResult same_colour(const Pixel& got, const Pixel& want) {
    const bool same = rgb_equal(got, want);
    ::testing::AssertionResult result = same ? ::testing::AssertionSuccess() : ::testing::AssertionFailure();
    std::ostringstream text;
    print_colour(text, got);
    text << (same ? " is " : " where ");
    print_colour(text, want);
    if (!same) text << " was expected";
    return result << text.str();
}

::testing::AssertionResult colour_near(const Pixel& got, const std::array<double, 3>& want, double tolerance) {
    const int channels[3] = {got.r, got.g, got.b};
    double worst = 0;
    for (int c = 0; c < 3; ++c) worst = std::max(worst, std::fabs(channels[c] - want[c]));
    ::testing::AssertionResult result =
        worst <= tolerance ? ::testing::AssertionSuccess() : ::testing::AssertionFailure();
    std::ostringstream text;
    print_colour(text, got);
    text << " against (" << want[0] << ", " << want[1] << ", " << want[2] << "): off by " << worst << ", allowed "
         << tolerance;
    return result << text.str();
}

::testing::AssertionResult images_match(const RgbaImage& got, const RgbaImage& want, int channel_tolerance,
                                        double share_allowed) {
    if (got.width != want.width || got.height != want.height)
        return ::testing::AssertionFailure() << "the image is " << got.width << "x" << got.height << ", expected "
                                             << want.width << "x" << want.height;
    assert(got.rgba.size() == want.rgba.size());
    std::size_t differing = 0;
    int worst = 0;
    for (std::size_t p = 0; p < got.rgba.size(); p += 4) {
        int off = 0;
        for (int c = 0; c < 3; ++c) off = std::max(off, std::abs(got.rgba[p + c] - want.rgba[p + c]));
        worst = std::max(worst, off);
        differing += off > channel_tolerance;
    }
    const double share = static_cast<double>(differing) / (static_cast<double>(got.width) * got.height);
    ::testing::AssertionResult result =
        share <= share_allowed ? ::testing::AssertionSuccess() : ::testing::AssertionFailure();
    std::ostringstream text;  // shares in a few digits, as gtest would print every digit of a double
    text << differing << " pixels differ by more than " << channel_tolerance << " in a channel (share " << share
         << ", allowed " << share_allowed << "; worst channel difference " << worst << ")";
    return result << text.str();
}
