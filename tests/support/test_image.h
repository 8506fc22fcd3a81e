// Pictures in the tests, whether decoded from a PNG or read back from OpenGL:
// 8-bit RGBA, rows top first (as the viewer sees them), with the comparisons the
// tests make. The comparisons return ::testing::AssertionResult, so a failed
// EXPECT_TRUE(...) says which colours or how many pixels differed:
//   EXPECT_TRUE(same_colour(image.at(x, y), bar_colour)) << "x " << x;
//   EXPECT_TRUE(colour_near(pixel, {r, g, b}, 2.0));
//   EXPECT_TRUE(images_match(frame, reference, 8, 0.001)) << "see " << path;
//   ASSERT_TRUE(read_image(path, image));
#pragma once
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

struct Pixel {
    int r = 0, g = 0, b = 0, a = 255;
    bool operator==(const Pixel&) const = default;
};
// "(r, g, b, a)", for failure messages.
std::ostream& operator<<(std::ostream& out, const Pixel& p);
// Red, green and blue equal, alpha left out: for counting and searching in loops
// (the assertions below say more when they fail).
constexpr bool rgb_equal(const Pixel& p, const Pixel& q) { return p.r == q.r && p.g == q.g && p.b == q.b; }

struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;  // width * height * 4 bytes, top row first

    // The pixel at column x of row y (y down from the top). A place outside the
    // image (an image that failed to load is 0 x 0) fails the test, once per
    // image, and gives (-1, -1, -1, -1), which matches no colour.
    Pixel at(int x, int y) const;

    mutable bool outside_reported = false;
};

// Reads any PNG as 8-bit RGBA (tools/common/png_io.h); a failure carries the
// reason in one line.
::testing::AssertionResult read_image(const std::string& path, RgbaImage& image);
// Writes the image as an RGBA PNG.
::testing::AssertionResult write_image(const std::string& path, const RgbaImage& image);

// Red, green and blue equal; alpha is left out (what the screen shows).
::testing::AssertionResult same_colour(const Pixel& got, const Pixel& want);
// Red, green and blue each within `tolerance` of `want` (which may lie between
// whole values, such as a sixteenth of a colour).
::testing::AssertionResult colour_near(const Pixel& got, const std::array<double, 3>& want, double tolerance);

// Both images the same size, and at most `share_allowed` of the pixels with a
// colour channel off by more than `channel_tolerance` (alpha left out).
::testing::AssertionResult images_match(const RgbaImage& got, const RgbaImage& want, int channel_tolerance,
                                        double share_allowed);
