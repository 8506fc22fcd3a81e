// Reading any PNG as 8-bit RGBA through libpng, from memory or from a file.
// libpng's errors jump back to a setjmp (libpng_hooks.h): the frames that set one
// hold only plain values.
#include "png_io.h"

#include <png.h>

#include <cassert>
#include <csetjmp>
#include <cstring>

#include "input_file.h"
#include "libpng_hooks.h"

using namespace libpng_hooks;

namespace {

constexpr int rgba_channels = 4;

// The bytes libpng reads, handed out in order.
struct MemoryStream {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at;
};

void read_from_memory(png_structp png, png_bytep area, png_size_t count) {
    auto* stream = static_cast<MemoryStream*>(png_get_io_ptr(png));
    if (count > stream->size - stream->at) png_error(png, "the file ends inside the image");
    std::memcpy(area, stream->data + stream->at, count);
    stream->at += count;
}

// The header, and the transformations that turn every layout into 8-bit RGBA.
// Holds no objects with destructors.
bool read_rgba_header(png_structp png, png_infop info, MemoryStream* stream, png_uint_32* width, png_uint_32* height) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_read_fn(png, stream, read_from_memory);
    png_set_user_limits(png, max_png_side, max_png_side);
    png_set_chunk_malloc_max(png, max_libpng_allocation);
    png_read_info(png, info);
    // Stored samples are taken as they are: no gamma, chromaticity or sRGB handling.
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    *width = png_get_image_width(png, info);
    *height = png_get_image_height(png, info);
    if (png_get_channels(png, info) != rgba_channels || png_get_bit_depth(png, info) != 8 ||
        png_get_rowbytes(png, info) != static_cast<std::size_t>(*width) * rgba_channels)
        png_error(png, "cannot be read as 8-bit RGBA");
    return true;
}

// Holds no objects with destructors.
bool read_rgba_rows(png_structp png, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_image(png, rows);
    png_read_end(png, nullptr);
    return true;
}

// libpng's read state, released on every way out of the caller.
struct ReadStruct {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~ReadStruct() {
        if (png) png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    }
};

}  // namespace

bool decode_png_rgba(const std::uint8_t* bytes, std::size_t size, const std::string& name, int& width, int& height,
                     std::vector<std::uint8_t>& rgba, std::string& error) {
    PngMessage message;
    MemoryStream stream{bytes, size, 0};
    ReadStruct read;
    read.png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, &message, keep_error_and_stop, ignore_warning, nullptr,
                                        bounded_malloc, bounded_free);
    if (read.png) read.info = png_create_info_struct(read.png);
    png_uint_32 w = 0, h = 0;
    bool ok = read.info && read_rgba_header(read.png, read.info, &stream, &w, &h);
    if (ok) {
        assert(w > 0 && h > 0 && w <= max_png_side && h <= max_png_side);
        const std::size_t row_bytes = static_cast<std::size_t>(w) * rgba_channels;
        rgba.assign(row_bytes * h, 0);
        std::vector<png_bytep> rows(h);
        for (png_uint_32 y = 0; y < h; ++y) rows[y] = rgba.data() + y * row_bytes;
        ok = read_rgba_rows(read.png, rows.data());
    }
    if (!ok) {
        rgba.clear();
        error = with_reason(name + ": not a readable PNG", message);
        return false;
    }
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

bool read_png_rgba(const std::string& path, int& width, int& height, std::vector<std::uint8_t>& rgba,
                   std::string& error) {
    std::vector<std::uint8_t> bytes;
    if (!read_input_file(path, bytes, error)) {
        error = path + ": " + error;
        return false;
    }
    return decode_png_rgba(bytes.data(), bytes.size(), path, width, height, rgba, error);
}
