// What the PNG encoder and decoder hand to libpng: an error handler that keeps
// libpng's first message for our own one line (libpng itself prints nothing)
// and an allocator with a ceiling.
//
// libpng reports an error by a long jump back to the frame that called setjmp.
// Jumping over a C++ object skips its destructor, so every frame that calls
// setjmp, and everything it calls that may raise a libpng error, holds only plain
// values; vectors and files live in the callers, outside the jump.
#pragma once
#include <png.h>

#include <string>

namespace libpng_hooks {

// The most libpng may take in one allocation, and for one ancillary chunk as read
// or decompressed. Rows, palettes and zlib's state stay far below it; a chunk
// length claiming gigabytes is refused instead of asked for.
constexpr png_alloc_size_t max_libpng_allocation = 8 << 20;

// libpng's first error, kept for our own line.
struct PngMessage {
    char text[160] = {};
};

// The error handler: keeps the first message (printable characters only) in the
// PngMessage given as libpng's error pointer and jumps back.
void keep_error_and_stop(png_structp png, png_const_charp message);
void ignore_warning(png_structp png, png_const_charp message);

// libpng reads an oversized chunk length only as a warning and then asks for the
// memory; refused here, libpng skips the chunk or fails the image.
png_voidp bounded_malloc(png_structp png, png_alloc_size_t size);
void bounded_free(png_structp png, png_voidp area);

// `line`, with libpng's message in brackets when it left one.
std::string with_reason(std::string line, const PngMessage& message);

}  // namespace libpng_hooks
