// PNG decoding over libpng into SDL surfaces shaped as SDL_image 1.2 shapes them.
#include "platform/png_image/png_decoder.h"

#include <png.h>

#include <csetjmp>
#include <cstdlib>

namespace {

constexpr int png_signature_bytes = 8;
constexpr int no_colour_key = -1;
// Wider or taller images are refused before any pixel memory is taken: no texture
// the show uploads comes near, and it keeps row offsets far inside 32 bits.
constexpr png_uint_32 max_image_side = 8192;
// The most libpng may take in one allocation, and for one ancillary chunk as read
// or decompressed. Rows, palettes and zlib's state stay far below it; a chunk
// length claiming gigabytes is refused instead of asked for.
constexpr png_alloc_size_t max_libpng_allocation = 8 << 20;

void read_from_stream(png_structp png, png_bytep area, png_size_t size) {
    auto* stream = static_cast<SDL_RWops*>(png_get_io_ptr(png));
    if (size > 0 && SDL_RWread(stream, area, static_cast<int>(size), 1) != 1) png_error(png, "Read error");
}

// libpng's failures end the decoding quietly; the caller reports one message.
void stop_decoding(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void ignore_warning(png_structp, png_const_charp) {}

// libpng reads an oversized chunk length only as a warning and then asks for the
// memory; refused here, libpng skips the chunk or fails the image.
png_voidp bounded_malloc(png_structp, png_alloc_size_t size) {
    return size <= max_libpng_allocation ? std::malloc(size) : nullptr;
}
void bounded_free(png_structp, png_voidp area) { std::free(area); }

// The palette entry that is the only transparent one while every other entry is
// opaque, or no_colour_key when the transparency needs a real alpha channel.
int single_transparent_entry(png_structp png, png_infop info) {
    png_bytep alphas = nullptr;
    int count = 0;
    png_get_tRNS(png, info, &alphas, &count, nullptr);
    int transparent = no_colour_key;
    for (int i = 0; i < count; ++i) {
        if (alphas[i] == 0 && transparent == no_colour_key) {
            transparent = i;
        } else if (alphas[i] != 255) {
            return no_colour_key;
        }
    }
    return transparent;
}

// Masks for R, G, B (and A) in memory order over a little- or big-endian word.
void truecolour_masks(int channels, Uint32 masks[4]) {
    const bool alpha = channels == 4;
    if (SDL_BYTEORDER == SDL_LIL_ENDIAN) {
        masks[0] = 0x000000FF;
        masks[1] = 0x0000FF00;
        masks[2] = 0x00FF0000;
        masks[3] = alpha ? 0xFF000000 : 0;
    } else {
        const int shift = alpha ? 0 : 8;
        masks[0] = 0xFF000000 >> shift;
        masks[1] = 0x00FF0000 >> shift;
        masks[2] = 0x0000FF00 >> shift;
        masks[3] = alpha ? 0x000000FF : 0;
    }
}

void copy_palette(png_structp png, png_infop info, int colour_type, SDL_Palette* palette) {
    if (colour_type == PNG_COLOR_TYPE_GRAY) {
        palette->ncolors = 256;
        for (int i = 0; i < 256; ++i) {
            const Uint8 level = static_cast<Uint8>(i);
            palette->colors[i] = {level, level, level, 0};
        }
        return;
    }
    png_colorp entries = nullptr;
    int count = 0;
    png_get_PLTE(png, info, &entries, &count);
    if (count <= 0) return;
    if (count > palette->ncolors) count = palette->ncolors;
    palette->ncolors = count;
    for (int i = 0; i < count; ++i) palette->colors[i] = {entries[i].red, entries[i].green, entries[i].blue, 0};
}

// Everything between libpng's set-up and tear-down. libpng reports errors by a
// long jump back here, so this frame holds no objects with destructors and the
// two allocations it may leave behind are handed out through plain pointers.
const char* decode(png_structp png, png_infop info, SDL_Surface** result, png_bytepp* rows_out) {
    if (setjmp(png_jmpbuf(png))) return "Error reading the PNG file.";

    png_set_user_limits(png, max_image_side, max_image_side);
    png_set_chunk_malloc_max(png, max_libpng_allocation);
    png_read_info(png, info);
    png_uint_32 width = 0, height = 0;
    int bit_depth = 0, colour_type = 0, interlace = 0;
    png_get_IHDR(png, info, &width, &height, &bit_depth, &colour_type, &interlace, nullptr, nullptr);

    // 16-bit samples down to 8, packed small samples one to a byte, grey levels
    // scaled to 0..255. No gamma is applied: samples stay as stored.
    png_set_strip_16(png);
    png_set_packing(png);
    if (colour_type == PNG_COLOR_TYPE_GRAY) png_set_expand(png);

    int colour_key = no_colour_key;
    png_color_16p key_colour = nullptr;
    if (png_get_valid(png, info, PNG_INFO_tRNS)) {
        if (colour_type == PNG_COLOR_TYPE_PALETTE) {
            colour_key = single_transparent_entry(png, info);
            // Several transparent or any translucent entries: expand to RGBA.
            if (colour_key == no_colour_key) png_set_expand(png);
        } else {
            png_get_tRNS(png, info, nullptr, nullptr, &key_colour);
            colour_key = 0;  // the key's pixel value is mapped once the surface exists
        }
    }
    if (colour_type == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
    png_read_update_info(png, info);
    png_get_IHDR(png, info, &width, &height, &bit_depth, &colour_type, &interlace, nullptr, nullptr);

    const int channels = png_get_channels(png, info);
    Uint32 masks[4] = {0, 0, 0, 0};
    if (colour_type != PNG_COLOR_TYPE_PALETTE) truecolour_masks(channels, masks);
    SDL_Surface* surface = SDL_CreateRGBSurface(SDL_SWSURFACE, static_cast<int>(width), static_cast<int>(height),
                                                bit_depth * channels, masks[0], masks[1], masks[2], masks[3]);
    if (!surface) return "Out of memory";
    *result = surface;

    if (colour_key != no_colour_key) {
        if (colour_type != PNG_COLOR_TYPE_PALETTE && key_colour) {
            colour_key = static_cast<int>(SDL_MapRGB(surface->format, static_cast<Uint8>(key_colour->red),
                                                     static_cast<Uint8>(key_colour->green),
                                                     static_cast<Uint8>(key_colour->blue)));
        }
        SDL_SetColorKey(surface, SDL_SRCCOLORKEY, static_cast<Uint32>(colour_key));
    }

    auto rows = static_cast<png_bytepp>(std::malloc(sizeof(png_bytep) * height));
    if (!rows) return "Out of memory";
    *rows_out = rows;
    for (png_uint_32 row = 0; row < height; ++row)
        rows[row] = static_cast<png_bytep>(surface->pixels) + row * surface->pitch;
    png_read_image(png, rows);

    if (surface->format->palette) copy_palette(png, info, colour_type, surface->format->palette);
    return nullptr;
}

}  // namespace

SDL_Surface* decode_png_rw(SDL_RWops* stream, int close_stream) {
    if (!stream) {
        SDL_SetError("Passed a NULL data source");
        return nullptr;
    }
    const int start = SDL_RWtell(stream);
    const char* error = nullptr;
    SDL_Surface* surface = nullptr;
    png_bytepp rows = nullptr;

    png_byte signature[png_signature_bytes];
    const bool is_png = SDL_RWread(stream, signature, png_signature_bytes, 1) == 1 &&
                        png_sig_cmp(signature, 0, png_signature_bytes) == 0;
    SDL_RWseek(stream, start, RW_SEEK_SET);

    png_structp png = nullptr;
    png_infop info = nullptr;
    if (!is_png) {
        error = "Unsupported image format";
    } else if (!(png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, nullptr, stop_decoding, ignore_warning, nullptr,
                                                bounded_malloc, bounded_free))) {
        error = "Couldn't allocate memory for PNG file or incompatible PNG dll";
    } else if (!(info = png_create_info_struct(png))) {
        error = "Couldn't create image information for PNG file";
    } else {
        png_set_read_fn(png, stream, read_from_stream);
        error = decode(png, info, &surface, &rows);
    }

    if (png) png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    std::free(rows);
    if (error) {
        SDL_RWseek(stream, start, RW_SEEK_SET);
        if (surface) SDL_FreeSurface(surface);
        surface = nullptr;
        SDL_SetError("%s", error);
    }
    if (close_stream) SDL_RWclose(stream);
    return surface;
}
