// PNG encoding of captured frames with libpng, into memory.
#include "png_frame.h"

#include <png.h>
#include <zlib.h>

#include <cassert>

namespace {

constexpr int bit_depth = 8;
constexpr std::size_t rgba_bytes = 4;

// Measured with `build/bench/capture_bench --png-sweep` over 10 s of the show:
// a frame is mostly black with sharp-edged flat colours, which zlib's fastest
// level packs nearly as well as its default, on unfiltered rows. Level 1
// without filters takes a quarter of the time of level 6 with libpng's filter
// choice (about 6 against 35 ms a frame) for files a fifth larger.
constexpr int frame_zlib_level = 1;
constexpr int frame_filters = PNG_FILTER_NONE;
constexpr int frame_zlib_strategy = Z_DEFAULT_STRATEGY;

void append_bytes(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void flush_nothing(png_structp) {}

// libpng's own messages stay quiet: a failure is reported as the program's one line.
void quiet_error(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void quiet_warning(png_structp, png_const_charp) {}

}  // namespace

PngSettings frame_png_settings() { return {frame_zlib_level, frame_filters, frame_zlib_strategy}; }

FramePixels bottom_up_pixels(const std::uint8_t* pixels, int width, int height) {
    assert(width > 0 && height > 0);
    const auto row = static_cast<std::ptrdiff_t>(width) * static_cast<std::ptrdiff_t>(rgba_bytes);
    return {pixels + (height - 1) * row, -row, width, height};
}

bool encode_frame_png(const FramePixels& frame, const PngSettings& settings, std::vector<std::uint8_t>& png_bytes,
                      std::string& error) {
    assert(frame.width > 0 && frame.height > 0 && frame.top);
    png_bytes.clear();
    // Everything with a destructor lives outside the frame libpng may jump back to.
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, quiet_error, quiet_warning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        png_bytes.clear();
        error = "cannot encode a frame as PNG";
        return false;
    }
    png_set_write_fn(png, &png_bytes, append_bytes, flush_nothing);
    png_set_compression_level(png, settings.zlib_level);
    png_set_compression_strategy(png, settings.zlib_strategy);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, settings.filters);
    png_set_IHDR(png, info, static_cast<png_uint_32>(frame.width), static_cast<png_uint_32>(frame.height), bit_depth,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_set_filler(png, 0, PNG_FILLER_AFTER);  // the rows hold RGBA; the file holds RGB
    for (int y = 0; y < frame.height; ++y) png_write_row(png, const_cast<png_bytep>(frame.top + y * frame.row_step));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}
