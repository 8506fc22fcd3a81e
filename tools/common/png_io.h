// Small PNG helpers over libpng, shared by the generators, the capture tool and tests.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Writes an 8-bit RGBA image (rows top first, no padding). On failure returns
// false with a one-line reason in `error`; no partial file is left behind.
bool write_png_rgba(const std::string& path, int width, int height, const std::uint8_t* rgba, std::string& error);

// The widest and tallest image the readers accept (the capture program's largest
// frame); a header claiming more is refused before any pixel memory is taken.
constexpr int max_png_side = 8192;

// Reads any PNG as 8-bit RGBA (palette and transparency expanded, 16-bit samples
// cut to 8, no gamma applied). The file must be a regular one of at most
// max_input_file_bytes. On failure returns false with one line in `error`;
// libpng prints nothing.
bool read_png_rgba(const std::string& path, int& width, int& height, std::vector<std::uint8_t>& rgba,
                   std::string& error);
// The same over bytes in memory; `name` stands for the file in the error line.
bool decode_png_rgba(const std::uint8_t* bytes, std::size_t size, const std::string& name, int& width, int& height,
                     std::vector<std::uint8_t>& rgba, std::string& error);

// An image to store with an explicit PNG layout. Samples are packed rows, top
// first: 3 bytes per pixel for colour type 2, 1 (a palette index) for 3, 4 for 6.
struct PngImage {
    int width = 0;
    int height = 0;
    int colour_type = 6;  // 2 truecolour, 3 palette, 6 truecolour with alpha
    std::vector<std::uint8_t> samples;
    std::vector<std::array<std::uint8_t, 3>> palette;  // colour type 3 only
    std::vector<std::uint8_t> palette_alpha;           // tRNS entries; none when empty
    bool colour_space_chunks = false;                  // write gAMA, cHRM and sRGB
    bool interlaced = false;                           // Adam7
};

// Writes `image` at 8 bits per sample with the strongest compression and no
// time stamp, so the same image always gives the same file. No partial file is
// left behind on failure.
bool write_png(const std::string& path, const PngImage& image, std::string& error);

// A PNG's layout as stored, read from its chunks without decoding the pixels.
struct PngLayout {
    int width = 0;
    int height = 0;
    int bit_depth = 0;
    int colour_type = 0;
    int interlace = 0;
    std::vector<std::array<std::uint8_t, 3>> palette;
    std::vector<std::uint8_t> transparency;  // raw tRNS contents
    bool has_transparency = false;
    std::vector<std::string> chunks;  // chunk types in file order
};

// Reads the signature and every chunk. Fails with a one-line reason for a file
// that is not a well-formed PNG (bad signature, truncated chunk, no 13-byte IHDR
// first, a repeated IHDR, PLTE or tRNS, no IEND) or not a regular file of at
// most max_input_file_bytes.
bool read_png_layout(const std::string& path, PngLayout& layout, std::string& error);
// The same over bytes in memory; `name` stands for the file in the error line.
bool parse_png_layout(const std::uint8_t* bytes, std::size_t size, const std::string& name, PngLayout& layout,
                      std::string& error);
