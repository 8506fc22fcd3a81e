// Small PNG helpers over libpng.
//
// libpng reports an error by a long jump back to the frame that called setjmp.
// Jumping over a C++ object skips its destructor, so every frame that calls
// setjmp, and everything it calls that may raise a libpng error, holds only plain
// values; vectors and files live in the callers, outside the jump.
#include "png_io.h"

#include <fcntl.h>
#include <png.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cassert>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "input_file.h"

namespace {

constexpr std::size_t png_signature_bytes = 8;
constexpr std::size_t ihdr_bytes = 13;
constexpr std::size_t chunk_frame_bytes = 12;  // length, type and CRC around the data
constexpr int rgba_channels = 4;
// The most libpng may take in one allocation, and for one ancillary chunk as read
// or decompressed. Rows, palettes and zlib's state stay far below it; a chunk
// length claiming gigabytes is refused instead of asked for.
constexpr png_alloc_size_t max_libpng_allocation = 8 << 20;
constexpr int max_temporary_attempts = 100;
constexpr std::uint32_t max_png_dimension = 0x7FFFFFFF;  // the format's own bound on either side

// libpng's first error, kept for our own line; libpng itself prints nothing.
struct PngMessage {
    char text[160] = {};
};

void keep_error_and_stop(png_structp png, png_const_charp message) {
    auto* kept = static_cast<PngMessage*>(png_get_error_ptr(png));
    if (kept && kept->text[0] == '\0' && message) {
        std::size_t n = 0;
        for (; message[n] && n + 1 < sizeof kept->text; ++n)
            kept->text[n] = message[n] >= ' ' && message[n] < 127 ? message[n] : '?';
        kept->text[n] = '\0';
    }
    png_longjmp(png, 1);
}
void ignore_warning(png_structp, png_const_charp) {}

// libpng reads an oversized chunk length only as a warning and then asks for the
// memory; refused here, libpng skips the chunk or fails the image.
png_voidp bounded_malloc(png_structp, png_alloc_size_t size) {
    return size <= max_libpng_allocation ? std::malloc(size) : nullptr;
}
void bounded_free(png_structp, png_voidp area) { std::free(area); }

std::string with_reason(std::string line, const PngMessage& message) {
    if (message.text[0]) line += std::string(" (") + message.text + ")";
    return line;
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// A new file beside `path` that did not exist before this call, so a failed write
// removes only what this run made. Returns its descriptor, or -1 with errno set.
int create_temporary(const std::string& path, std::string& temporary) {
    static std::atomic<unsigned> serial{0};
    for (int attempt = 0; attempt < max_temporary_attempts; ++attempt) {
        temporary = path + ".partial-" + std::to_string(::getpid()) + "-" + std::to_string(serial++);
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

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

// Writes through a temporary file beside `path`, renamed over it on success, so a
// failed write never leaves a file that looks complete nor touches any other file.
template <typename Encode>
bool write_png_file(const std::string& path, std::string& error, const Encode& encode) {
    std::string temporary;
    const int fd = create_temporary(path, temporary);
    if (fd < 0) {
        error = "cannot write " + path + " (" + std::strerror(errno) + ")";
        return false;
    }
    File file(::fdopen(fd, "wb"));
    if (!file) {
        ::close(fd);
        std::remove(temporary.c_str());
        error = "cannot write " + path;
        return false;
    }
    PngMessage message;
    const bool encoded = encode_png(file.get(), &message, encode);
    const bool flushed = encoded && std::fflush(file.get()) == 0;
    const bool closed = std::fclose(file.release()) == 0;
    if (!encoded) {
        std::remove(temporary.c_str());
        error = with_reason("cannot encode " + path, message);
        return false;
    }
    if (!flushed || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        error = "cannot write " + path;
        return false;
    }
    return true;
}

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
// Holds no objects with destructors (see the top of the file).
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

// Holds no objects with destructors (see the top of the file).
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

bool write_png_rgba(const std::string& path, int width, int height, const std::uint8_t* rgba, std::string& error) {
    return write_png_file(path, error, [&](png_structp png, png_infop info) {
        png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < height; ++y)
            png_write_row(png, const_cast<png_bytep>(rgba + static_cast<std::size_t>(y) * width * 4));
    });
}

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

namespace {
std::uint32_t big_endian_32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}
}  // namespace

bool parse_png_layout(const std::uint8_t* bytes, std::size_t size, const std::string& name, PngLayout& layout,
                      std::string& error) {
    static const std::uint8_t signature[png_signature_bytes] = {137, 80, 78, 71, 13, 10, 26, 10};
    if (size < png_signature_bytes || !std::equal(signature, signature + png_signature_bytes, bytes)) {
        error = name + ": not a PNG file (bad signature)";
        return false;
    }
    layout = PngLayout{};
    bool seen_palette = false;
    std::size_t at = png_signature_bytes;
    while (at < size) {
        const std::string where = " at byte " + std::to_string(at);
        if (size - at < chunk_frame_bytes) {
            error = name + ": truncated chunk" + where;
            return false;
        }
        const std::uint32_t length = big_endian_32(&bytes[at]);
        if (length > size - at - chunk_frame_bytes) {
            error = name + ": truncated chunk" + where;
            return false;
        }
        const std::string type(reinterpret_cast<const char*>(&bytes[at + 4]), 4);
        const std::uint8_t* data = &bytes[at + 8];
        if (layout.chunks.empty() && (type != "IHDR" || length != ihdr_bytes)) {
            error = name + ": first chunk is not a 13-byte IHDR";
            return false;
        }
        // One header, one palette, one transparency chunk: a second would make the
        // layout read back as something the file does not say.
        const bool repeated = (type == "IHDR" && !layout.chunks.empty()) || (type == "PLTE" && seen_palette) ||
                              (type == "tRNS" && layout.has_transparency);
        if (repeated) {
            error = name + ": repeated " + type + " chunk" + where;
            return false;
        }
        layout.chunks.push_back(type);
        if (type == "IHDR") {
            assert(length == ihdr_bytes);
            const std::uint32_t width = big_endian_32(data), height = big_endian_32(data + 4);
            if (width == 0 || height == 0 || width > max_png_dimension || height > max_png_dimension) {
                error = name + ": IHDR size " + std::to_string(width) + "x" + std::to_string(height) + " outside 1.." +
                        std::to_string(max_png_dimension);
                return false;
            }
            layout.width = static_cast<int>(width);
            layout.height = static_cast<int>(height);
            layout.bit_depth = data[8];
            layout.colour_type = data[9];
            layout.interlace = data[12];
        } else if (type == "PLTE") {
            seen_palette = true;
            for (std::uint32_t i = 0; i + 3 <= length; i += 3)
                layout.palette.push_back({data[i], data[i + 1], data[i + 2]});
        } else if (type == "tRNS") {
            layout.has_transparency = true;
            layout.transparency.assign(data, data + length);
        }
        at += chunk_frame_bytes + length;
        if (type == "IEND") break;
    }
    if (layout.chunks.empty() || layout.chunks.back() != "IEND") {
        error = name + ": no IEND chunk";
        return false;
    }
    return true;
}

bool read_png_layout(const std::string& path, PngLayout& layout, std::string& error) {
    std::vector<std::uint8_t> bytes;
    if (!read_input_file(path, bytes, error)) {
        error = path + ": " + error;
        return false;
    }
    return parse_png_layout(bytes.data(), bytes.size(), path, layout, error);
}
