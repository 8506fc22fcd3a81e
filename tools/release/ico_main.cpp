// build/icon-file OUT.ico PNG...: the program's icon as one .ico, from the PNGs of
// the icon folder (src/assets/icon), one square picture each. The Windows build
// runs it to embed the icon in the executable.
#include <cstdio>
#include <string>
#include <vector>

#include "ico_file.h"
#include "input_file.h"
#include "png_io.h"
#include "published_file.h"

namespace {

int fail(const std::string& line) {
    std::fprintf(stderr, "icon-file: %s\n", line.c_str());
    return 1;
}

bool read_picture(const std::string& path, IcoPicture& picture, std::string& error) {
    int width = 0, height = 0;
    if (!read_png_rgba(path, width, height, picture.rgba, error)) return false;
    if (width != height) {
        error = path + ": " + std::to_string(width) + " x " + std::to_string(height) + " is not square";
        return false;
    }
    picture.size = width;
    if (width != ico_png_size) return true;
    // The largest picture travels as the PNG itself.
    picture.rgba.clear();
    if (!read_input_file(path, picture.png, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 3) return fail("usage: icon-file OUT.ico PNG...");
    std::vector<IcoPicture> pictures;
    std::string error;
    for (int i = 2; i < argc; ++i) {
        IcoPicture picture;
        if (!read_picture(argv[i], picture, error)) return fail(error);
        pictures.push_back(std::move(picture));
    }
    std::vector<std::uint8_t> ico;
    if (!make_ico(pictures, ico, error)) return fail(error);
    if (!write_whole_file(argv[1], ico.data(), ico.size(), true, error))
        return fail(std::string("cannot write ") + argv[1] + " (" + error + ")");
    return 0;
}
