// SDL surfaces for the browser build. Emscripten's SDL emulation keeps surfaces in
// HTML canvases, whose blits premultiply alpha and round translucent colours, and
// never see pixels written straight into memory. The texture loader needs SDL
// 1.2's own results, so these surfaces live in memory and convert as SDL 1.2's
// copying blits do: palette and colour-keyed images, 24-bit and 32-bit RGB(A).
// Blending blits (a source with SDL_SRCALPHA) are refused with an error.
#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

// SDL 1.2's size limits, and a cap on the pixel block so its size fits an int.
constexpr int max_width = 16383;
constexpr int max_height = 65535;
constexpr std::int64_t max_pixel_bytes = INT32_MAX;
constexpr int palette_entries = 256;
constexpr int palette_bits = 8;
constexpr Uint8 opaque = SDL_ALPHA_OPAQUE;
constexpr int pitch_alignment = 4;
// SDL 1.2's masks for a truecolour surface created without any.
constexpr Uint32 default_red_mask = 0x00FF0000;
constexpr Uint32 default_green_mask = 0x0000FF00;
constexpr Uint32 default_blue_mask = 0x000000FF;

// One allocation per surface: the public record first, then what SDL 1.2 keeps in
// its pixel format but this header's format has no room for.
struct MemorySurface {
    SDL_Surface surface;
    SDL_PixelFormat format;
    SDL_Palette palette;
    SDL_Color colours[palette_entries];
    Uint32 colour_key;
    Uint8 alpha;  // per-surface alpha: opaque unless SDL_SetAlpha set one
};

MemorySurface* owner(SDL_Surface* surface) { return reinterpret_cast<MemorySurface*>(surface); }

// Shift of the lowest set bit and the bits lost against 8, as SDL_AllocFormat
// derives them from a channel mask.
void describe_mask(Uint32 mask, Uint8& shift, Uint8& loss) {
    shift = 0;
    loss = palette_bits;
    if (mask == 0) return;
    while (!(mask & 1u)) {
        mask >>= 1;
        ++shift;
    }
    while (mask & 1u) {
        mask >>= 1;
        --loss;
    }
}

void set_masks(SDL_PixelFormat& format, Uint32 red, Uint32 green, Uint32 blue, Uint32 alpha) {
    format.Rmask = red;
    format.Gmask = green;
    format.Bmask = blue;
    format.Amask = alpha;
    describe_mask(red, format.Rshift, format.Rloss);
    describe_mask(green, format.Gshift, format.Gloss);
    describe_mask(blue, format.Bshift, format.Bloss);
    describe_mask(alpha, format.Ashift, format.Aloss);
}

Uint32 read_pixel(const Uint8* at, int bytes) {
    switch (bytes) {
    case 1: return at[0];
    case 2: return static_cast<Uint32>(at[0] | at[1] << 8);
    case 3: return static_cast<Uint32>(at[0] | at[1] << 8 | at[2] << 16);
    default: return static_cast<Uint32>(at[0] | at[1] << 8 | at[2] << 16) | static_cast<Uint32>(at[3]) << 24;
    }
}

void write_pixel(Uint8* at, int bytes, Uint32 pixel) {
    for (int i = 0; i < bytes; ++i) at[i] = static_cast<Uint8>(pixel >> (8 * i));
}

Uint32 compose(const SDL_PixelFormat& format, unsigned r, unsigned g, unsigned b, unsigned a) {
    return ((r >> format.Rloss) << format.Rshift) | ((g >> format.Gloss) << format.Gshift) |
           ((b >> format.Bloss) << format.Bshift) | (((a >> format.Aloss) << format.Ashift) & format.Amask);
}

unsigned channel(Uint32 pixel, Uint32 mask, Uint8 shift, Uint8 loss) { return ((pixel & mask) >> shift) << loss; }

// One source pixel as SDL 1.2's copying blits pass it on; false for a pixel the
// colour key leaves out. Palette entries past the palette's colours come out as 0,
// as in SDL's colour map.
bool source_colour(const MemorySurface& source, bool destination_alpha, const Uint8* at, unsigned rgba[4]) {
    const SDL_PixelFormat& format = source.format;
    const bool keyed = (source.surface.flags & SDL_SRCCOLORKEY) != 0;
    const Uint32 pixel = read_pixel(at, format.BytesPerPixel);
    const unsigned surface_alpha = destination_alpha ? source.alpha : 0;
    if (format.BytesPerPixel == 1) {
        if (keyed && pixel == source.colour_key) return false;
        if (pixel >= static_cast<Uint32>(source.palette.ncolors)) {
            rgba[0] = rgba[1] = rgba[2] = rgba[3] = 0;
            return true;
        }
        const SDL_Color& colour = source.palette.colors[pixel];
        rgba[0] = colour.r;
        rgba[1] = colour.g;
        rgba[2] = colour.b;
        rgba[3] = surface_alpha;
        return true;
    }
    const Uint32 colour_bits = ~format.Amask;
    if (keyed && (pixel & colour_bits) == (source.colour_key & colour_bits)) return false;
    rgba[0] = channel(pixel, format.Rmask, format.Rshift, format.Rloss);
    rgba[1] = channel(pixel, format.Gmask, format.Gshift, format.Gloss);
    rgba[2] = channel(pixel, format.Bmask, format.Bshift, format.Bloss);
    // Both with an alpha channel: it is copied; otherwise the surface's alpha.
    rgba[3] =
        format.Amask && destination_alpha ? channel(pixel, format.Amask, format.Ashift, format.Aloss) : surface_alpha;
    return true;
}

}  // namespace

extern "C" {

SDL_Surface* SDL_CreateRGBSurface(Uint32 flags, int width, int height, int depth, Uint32 red_mask, Uint32 green_mask,
                                  Uint32 blue_mask, Uint32 alpha_mask) {
    if (width < 0 || height < 0 || width > max_width || height > max_height) {
        SDL_SetError("Width or height is too large");
        return nullptr;
    }
    if (depth != 8 && depth != 16 && depth != 24 && depth != 32) {
        SDL_SetError("Unsupported surface depth %d", depth);
        return nullptr;
    }
    const int bytes_per_pixel = depth / 8;
    const int pitch = (width * bytes_per_pixel + pitch_alignment - 1) / pitch_alignment * pitch_alignment;
    const std::int64_t pixel_bytes = static_cast<std::int64_t>(pitch) * height;
    if (pixel_bytes > max_pixel_bytes) {
        SDL_SetError("Surface of %d x %d is too large", width, height);
        return nullptr;
    }
    auto* made = static_cast<MemorySurface*>(std::calloc(1, sizeof(MemorySurface)));
    void* pixels = pixel_bytes > 0 ? std::calloc(static_cast<std::size_t>(pixel_bytes), 1) : nullptr;
    if (!made || (pixel_bytes > 0 && !pixels)) {
        std::free(made);
        std::free(pixels);
        SDL_SetError("Out of memory");
        return nullptr;
    }
    made->alpha = opaque;
    SDL_PixelFormat& format = made->format;
    format.BitsPerPixel = static_cast<Uint8>(depth);
    format.BytesPerPixel = static_cast<Uint8>(bytes_per_pixel);
    format.refcount = 1;
    if (depth == 8) {
        // 256 black entries, which a decoder then fills.
        made->palette.ncolors = palette_entries;
        made->palette.colors = made->colours;
        made->palette.refcount = 1;
        format.palette = &made->palette;
        set_masks(format, 0, 0, 0, 0);
    } else if (!red_mask && !green_mask && !blue_mask && depth > 16) {
        set_masks(format, default_red_mask, default_green_mask, default_blue_mask, alpha_mask);
    } else {
        set_masks(format, red_mask, green_mask, blue_mask, alpha_mask);
    }
    SDL_Surface& surface = made->surface;
    surface.flags = (flags & SDL_PREALLOC) | (alpha_mask && depth > 8 ? SDL_SRCALPHA : 0);
    surface.format = &format;
    surface.w = width;
    surface.h = height;
    surface.pitch = pitch;
    surface.pixels = pixels;
    surface.clip_rect = SDL_Rect{0, 0, width, height};
    surface.refcount = 1;
    return &surface;
}

void SDL_FreeSurface(SDL_Surface* surface) {
    if (!surface || --surface->refcount > 0) return;
    std::free(surface->pixels);
    std::free(owner(surface));
}

int SDL_LockSurface(SDL_Surface* surface) {
    ++surface->locked;  // memory surfaces need no locking; the count is kept for symmetry
    return 0;
}

void SDL_UnlockSurface(SDL_Surface* surface) {
    if (surface->locked > 0) --surface->locked;
}

int SDL_SetColorKey(SDL_Surface* surface, int flag, Uint32 key) {
    if (!surface) return -1;
    if (flag & SDL_SRCCOLORKEY) {
        surface->flags |= SDL_SRCCOLORKEY;
        owner(surface)->colour_key = key;
    } else {
        surface->flags &= ~static_cast<Uint32>(SDL_SRCCOLORKEY);
        owner(surface)->colour_key = 0;
    }
    return 0;
}

int SDL_SetAlpha(SDL_Surface* surface, Uint32 flag, Uint8 alpha) {
    if (!surface) return -1;
    if (flag & SDL_SRCALPHA) {
        surface->flags |= SDL_SRCALPHA;
        owner(surface)->alpha = alpha;
    } else {
        surface->flags &= ~static_cast<Uint32>(SDL_SRCALPHA);
        owner(surface)->alpha = opaque;
    }
    return 0;
}

Uint32 SDL_MapRGB(const SDL_PixelFormat* format, Uint8 r, Uint8 g, Uint8 b) {
    if (!format->palette) return compose(*format, r, g, b, opaque);
    // The nearest palette entry, the first of equals, as SDL_FindColor picks it.
    Uint32 nearest = 0;
    unsigned smallest = ~0u;
    for (int i = 0; i < format->palette->ncolors; ++i) {
        const SDL_Color& c = format->palette->colors[i];
        const int dr = c.r - r, dg = c.g - g, db = c.b - b;
        const unsigned distance = static_cast<unsigned>(dr * dr + dg * dg + db * db);
        if (distance < smallest) {
            nearest = static_cast<Uint32>(i);
            if (distance == 0) break;
            smallest = distance;
        }
    }
    return nearest;
}

// Whole surfaces only: from the source's top left corner to the destination's,
// over the area both cover.
int SDL_UpperBlit(SDL_Surface* source, const SDL_Rect* source_rect, SDL_Surface* destination,
                  SDL_Rect* destination_rect) {
    if (!source || !destination) {
        SDL_SetError("SDL_UpperBlit: passed a NULL surface");
        return -1;
    }
    if (source_rect || destination_rect) {
        SDL_SetError("SDL_UpperBlit: the browser build blits whole surfaces only");
        return -1;
    }
    if (source->flags & SDL_SRCALPHA) {
        SDL_SetError("SDL_UpperBlit: the browser build has no blending blits");
        return -1;
    }
    if (destination->format->BytesPerPixel == 1) {
        SDL_SetError("SDL_UpperBlit: the browser build does not blit onto palette surfaces");
        return -1;
    }
    const MemorySurface& from = *owner(source);
    const SDL_PixelFormat& to_format = *destination->format;
    const bool destination_alpha = to_format.Amask != 0;
    const int width = source->w < destination->w ? source->w : destination->w;
    const int height = source->h < destination->h ? source->h : destination->h;
    const int from_bytes = source->format->BytesPerPixel;
    const int to_bytes = to_format.BytesPerPixel;
    for (int y = 0; y < height; ++y) {
        const Uint8* in = static_cast<const Uint8*>(source->pixels) + static_cast<std::ptrdiff_t>(y) * source->pitch;
        Uint8* out = static_cast<Uint8*>(destination->pixels) + static_cast<std::ptrdiff_t>(y) * destination->pitch;
        for (int x = 0; x < width; ++x, in += from_bytes, out += to_bytes) {
            unsigned rgba[4];
            if (source_colour(from, destination_alpha, in, rgba))
                write_pixel(out, to_bytes, compose(to_format, rgba[0], rgba[1], rgba[2], rgba[3]));
        }
    }
    return 0;
}

}  // extern "C"
