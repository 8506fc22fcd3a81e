// Captured frames as PNG files: encoded in memory (so that worker threads can
// compress while the next frame is drawn), stored as 8-bit RGB since a frame is
// opaque, and written under a temporary name of the run's own.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// zlib level and libpng row filters, chosen by measurement with
// build/bench/capture_bench: see png_frame.cpp.
struct PngSettings {
    int zlib_level = 0;
    int filters = 0;        // PNG_FILTER_* bits
    int zlib_strategy = 0;  // Z_DEFAULT_STRATEGY, Z_FILTERED, Z_RLE ...
};
PngSettings frame_png_settings();

// Rows of RGBA pixels in memory: `top` points at the top row, the next row down
// is `row_step` bytes on (negative for OpenGL's bottom-first rows). Alpha is dropped.
struct FramePixels {
    const std::uint8_t* top = nullptr;
    std::ptrdiff_t row_step = 0;
    int width = 0;
    int height = 0;
};
// The pixels as read_frame_at stores them, bottom row first.
FramePixels bottom_up_pixels(const std::uint8_t* pixels, int width, int height);

// Encodes the frame into `png` (replacing its contents). False with a one-line
// reason when libpng fails.
bool encode_frame_png(const FramePixels& frame, const PngSettings& settings, std::vector<std::uint8_t>& png,
                      std::string& error);
