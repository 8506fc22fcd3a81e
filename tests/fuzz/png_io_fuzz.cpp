// libFuzzer harness: the asset checker's PNG reading (tools/common/png_io), the
// chunk layout and the full RGBA decode, over arbitrary bytes. Besides crashes,
// leaks and undefined behaviour it stops on a broken promise: an error that is
// not one line, pixels that do not fill width × height, or a decoded size that
// differs from the header the layout reader read.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "png_io.h"

namespace {
bool one_line(const std::string& error) { return !error.empty() && error.find('\n') == std::string::npos; }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    PngLayout layout;
    std::string layout_error;
    const bool has_layout = parse_png_layout(data, size, "input.png", layout, layout_error);
    if (!has_layout && !one_line(layout_error)) __builtin_trap();

    int width = 0, height = 0;
    std::vector<std::uint8_t> rgba;
    std::string error;
    if (!decode_png_rgba(data, size, "input.png", width, height, rgba, error)) {
        if (!one_line(error) || !rgba.empty()) __builtin_trap();
        return 0;
    }
    if (width <= 0 || height <= 0 || width > max_png_side || height > max_png_side ||
        rgba.size() != static_cast<std::size_t>(width) * height * 4)
        __builtin_trap();
    if (has_layout && (layout.width != width || layout.height != height)) __builtin_trap();
    return 0;
}
