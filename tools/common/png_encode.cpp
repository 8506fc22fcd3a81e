// Writing PNGs through libpng into a file that is published only when complete
// (published_file.h). libpng's errors jump back to a setjmp (libpng_hooks.h):
// the frames that set one, and the encoders they run, hold only plain values.
#include "png_io.h"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include "libpng_hooks.h"
#include "published_file.h"

using namespace libpng_hooks;

namespace {

// libpng's set-up and tear-down around `encode`, which sets the header and writes
// the chunks and rows. Neither this frame nor `encode` may hold objects with
// destructors: a libpng error jumps from inside `encode` back to the setjmp here.
template <typename Encode>
bool encode_png(std::FILE* file, PngMessage* message, const Encode& encode) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, message, keep_error_and_stop, ignore_warning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    encode(png, info);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

std::string cannot_write(const std::string& path, const std::string& reason) {
    return "cannot write " + path + " (" + reason + ")";
}

// Encodes into a temporary beside `path`, renamed over it on success, so a failed
// write never leaves a file that looks complete nor touches any other file.
template <typename Encode>
bool write_png_file(const std::string& path, std::string& error, const Encode& encode) {
    TemporaryFile temp;
    std::string reason;
    if (!create_temporary(path, temp, reason)) {
        error = cannot_write(path, reason);
        return false;
    }
    std::FILE* file = ::fdopen(temp.fd, "wb");
    if (!file) {
        error = cannot_write(path, std::strerror(errno));
        discard_temporary(temp);
        return false;
    }
    temp.fd = -1;  // closed with the stream from here on
    PngMessage message;
    const bool encoded = encode_png(file, &message, encode);
    const bool flushed = encoded && std::fflush(file) == 0;
    const int flush_errno = errno;
    const bool closed = std::fclose(file) == 0;
    if (!encoded) {
        discard_temporary(temp);
        error = with_reason("cannot encode " + path, message);
        return false;
    }
    if (!flushed || !closed) {
        error = cannot_write(path, std::strerror(flushed ? errno : flush_errno));
        discard_temporary(temp);
        return false;
    }
    if (!publish_temporary(temp, path, true, reason)) {
        error = cannot_write(path, reason);
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

bool write_png(const std::string& path, const PngImage& image, std::string& error) {
    const int channels = image.colour_type == 2 ? 3 : image.colour_type == 3 ? 1 : 4;
    const std::size_t row_bytes = static_cast<std::size_t>(image.width) * channels;
    if (image.width <= 0 || image.height <= 0 || image.samples.size() != row_bytes * image.height ||
        (image.colour_type == 3) != !image.palette.empty() || image.palette.size() > 256 ||
        image.palette_alpha.size() > 256) {
        error = "inconsistent image for " + path;
        return false;
    }
    // Made here, before libpng starts: a libpng error would jump over them.
    std::vector<png_color> palette;
    for (const auto& c : image.palette) palette.push_back(png_color{c[0], c[1], c[2]});
    std::vector<png_bytep> rows(image.height);
    for (int y = 0; y < image.height; ++y)
        rows[y] = const_cast<png_bytep>(image.samples.data() + static_cast<std::size_t>(y) * row_bytes);
    return write_png_file(path, error, [&](png_structp png, png_infop info) {
        png_set_compression_level(png, 9);
        png_set_compression_mem_level(png, 9);
        // Palette rows compress best unfiltered; truecolour gains from libpng's choice.
        png_set_filter(png, 0, image.colour_type == 3 ? PNG_FILTER_NONE : PNG_ALL_FILTERS);
        png_set_IHDR(png, info, image.width, image.height, 8, image.colour_type,
                     image.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                     PNG_FILTER_TYPE_DEFAULT);
        if (!palette.empty()) png_set_PLTE(png, info, palette.data(), static_cast<int>(palette.size()));
        if (!image.palette_alpha.empty())
            png_set_tRNS(png, info, image.palette_alpha.data(), static_cast<int>(image.palette_alpha.size()), nullptr);
        if (image.colour_space_chunks) png_set_sRGB_gAMA_and_cHRM(png, info, PNG_sRGB_INTENT_PERCEPTUAL);
        png_write_info(png, info);
        png_write_image(png, rows.data());
    });
}
