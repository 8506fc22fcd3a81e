// Small PNG helpers over libpng.
#include "png_io.h"

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {
struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Writes through libpng into `path`.partial and renames it on success, so a failed
// write never leaves a file that looks complete. `encode` sets the header and writes
// the chunks and rows; a libpng error inside it lands back here.
template <typename Encode>
bool write_png_file(const std::string& path, std::string& error, const Encode& encode) {
    const std::string temporary = path + ".partial";
    File file(std::fopen(temporary.c_str(), "wb"));
    if (!file) {
        error = "cannot write " + path;
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        file.reset();
        std::remove(temporary.c_str());
        error = "cannot encode " + path;
        return false;
    }
    png_init_io(png, file.get());
    encode(png, info);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    const bool flushed = std::fflush(file.get()) == 0;
    file.reset();
    if (!flushed || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        error = "cannot write " + path;
        return false;
    }
    return true;
}
}  // namespace

bool write_png_rgba(const std::string& path, int width, int height, const std::uint8_t* rgba, std::string& error) {
    return write_png_file(path, error, [&](png_structp png, png_infop info) {
        png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < height; ++y)
            png_write_row(png, const_cast<png_bytep>(rgba + static_cast<std::size_t>(y) * width * 4));
    });
}

bool read_png_rgba(const std::string& path, int& width, int& height, std::vector<std::uint8_t>& rgba,
                   std::string& error) {
    File file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        error = "cannot open " + path;
        return false;
    }
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        error = path + ": not a readable PNG";
        return false;
    }
    png_init_io(png, file.get());
    png_read_info(png, info);
    // Stored samples are taken as they are: no gamma, chromaticity or sRGB handling.
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    width = static_cast<int>(png_get_image_width(png, info));
    height = static_cast<int>(png_get_image_height(png, info));
    rgba.assign(static_cast<std::size_t>(width) * height * 4, 0);
    std::vector<png_bytep> rows(height);
    for (int y = 0; y < height; ++y) rows[y] = rgba.data() + static_cast<std::size_t>(y) * width * 4;
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

bool write_png(const std::string& path, const PngImage& image, std::string& error) {
    const int channels = image.colour_type == 2 ? 3 : image.colour_type == 3 ? 1 : 4;
    const std::size_t row_bytes = static_cast<std::size_t>(image.width) * channels;
    if (image.width <= 0 || image.height <= 0 || image.samples.size() != row_bytes * image.height ||
        (image.colour_type == 3) != !image.palette.empty() || image.palette.size() > 256 ||
        image.palette_alpha.size() > 256) {
        error = "inconsistent image for " + path;
        return false;
    }
    return write_png_file(path, error, [&](png_structp png, png_infop info) {
        png_set_compression_level(png, 9);
        png_set_compression_mem_level(png, 9);
        // Palette rows compress best unfiltered; truecolour gains from libpng's choice.
        png_set_filter(png, 0, image.colour_type == 3 ? PNG_FILTER_NONE : PNG_ALL_FILTERS);
        png_set_IHDR(png, info, image.width, image.height, 8, image.colour_type,
                     image.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                     PNG_FILTER_TYPE_DEFAULT);
        std::vector<png_color> palette;
        for (const auto& c : image.palette) palette.push_back(png_color{c[0], c[1], c[2]});
        if (!palette.empty()) png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
        if (!image.palette_alpha.empty())
            png_set_tRNS(png, info, image.palette_alpha.data(), static_cast<int>(image.palette_alpha.size()), nullptr);
        if (image.colour_space_chunks) png_set_sRGB_gAMA_and_cHRM(png, info, PNG_sRGB_INTENT_PERCEPTUAL);
        png_write_info(png, info);
        std::vector<png_bytep> rows(image.height);
        for (int y = 0; y < image.height; ++y)
            rows[y] = const_cast<png_bytep>(image.samples.data() + static_cast<std::size_t>(y) * row_bytes);
        png_write_image(png, rows.data());
    });
}

namespace {
std::uint32_t big_endian_32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}
}  // namespace

bool read_png_layout(const std::string& path, PngLayout& layout, std::string& error) {
    File file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        error = "cannot open " + path;
        return false;
    }
    std::vector<std::uint8_t> bytes;
    std::uint8_t buffer[65536];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0;)
        bytes.insert(bytes.end(), buffer, buffer + n);
    static const std::uint8_t signature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
    if (bytes.size() < 8 || !std::equal(signature, signature + 8, bytes.begin())) {
        error = path + ": not a PNG file (bad signature)";
        return false;
    }
    layout = PngLayout{};
    std::size_t at = 8;
    while (at < bytes.size()) {
        if (bytes.size() - at < 12) {
            error = path + ": truncated chunk at byte " + std::to_string(at);
            return false;
        }
        const std::uint32_t length = big_endian_32(&bytes[at]);
        if (length > bytes.size() - at - 12) {
            error = path + ": truncated chunk at byte " + std::to_string(at);
            return false;
        }
        const std::string type(reinterpret_cast<const char*>(&bytes[at + 4]), 4);
        const std::uint8_t* data = &bytes[at + 8];
        if (layout.chunks.empty() && (type != "IHDR" || length != 13)) {
            error = path + ": first chunk is not a 13-byte IHDR";
            return false;
        }
        layout.chunks.push_back(type);
        if (type == "IHDR") {
            layout.width = static_cast<int>(big_endian_32(data));
            layout.height = static_cast<int>(big_endian_32(data + 4));
            layout.bit_depth = data[8];
            layout.colour_type = data[9];
            layout.interlace = data[12];
        } else if (type == "PLTE") {
            for (std::uint32_t i = 0; i + 3 <= length; i += 3)
                layout.palette.push_back({data[i], data[i + 1], data[i + 2]});
        } else if (type == "tRNS") {
            layout.has_transparency = true;
            layout.transparency.assign(data, data + length);
        }
        at += 12 + length;
        if (type == "IEND") break;
    }
    if (layout.chunks.empty() || layout.chunks.back() != "IEND") {
        error = path + ": no IEND chunk";
        return false;
    }
    return true;
}
