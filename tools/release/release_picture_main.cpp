// build/release-picture IN.png OUT.png: the release's preview picture from a frame
// the capture program wrote (quickly, uncompressed rows with alpha): the same
// pixels as truecolour at the strongest compression, refused unless it is 4:3.
#include <cstdio>
#include <string>
#include <vector>

#include "png_io.h"

namespace {

int fail(const std::string& line) {
    std::fprintf(stderr, "release-picture: %s\n", line.c_str());
    return 1;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 3) return fail("usage: release-picture IN.png OUT.png");
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgba;
    std::string error;
    if (!read_png_rgba(argv[1], width, height, rgba, error)) return fail(error);
    if (width * 3 != height * 4)
        return fail(std::string(argv[1]) + ": " + std::to_string(width) + " x " + std::to_string(height) +
                    " is not 4:3");
    PngImage picture;
    picture.width = width;
    picture.height = height;
    picture.colour_type = 2;
    picture.samples.reserve(static_cast<std::size_t>(width) * height * 3);
    for (std::size_t i = 0; i < rgba.size(); i += 4)
        picture.samples.insert(picture.samples.end(), &rgba[i], &rgba[i + 3]);
    if (!write_png(argv[2], picture, error)) return fail(error);
    return 0;
}
