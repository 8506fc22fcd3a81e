// Texture loader and registry: every decoded image is normalised to 32-bit RGBA,
// stretched to a power-of-two size by nearest neighbour (integers only), uploaded
// as an OpenGL texture and kept in texture_registry until the process ends.
#include "assets/texture_loader.h"

#include <cassert>
#include <cstdio>
#include <cstdlib>

TextureRegistry texture_registry;

namespace {

// Channel masks over a little-endian 32-bit word: bytes R, G, B, A in memory,
// the order an upload as GL_RGBA / GL_UNSIGNED_BYTE expects.
constexpr Uint32 red_mask = 0x000000FF;
constexpr Uint32 green_mask = 0x0000FF00;
constexpr Uint32 blue_mask = 0x00FF0000;
constexpr Uint32 alpha_mask = 0xFF000000;
constexpr int rgba_bits_per_pixel = 32;
constexpr int rgba_bytes_per_pixel = 4;

// Images this large in either direction are smoothed when scaled; smaller ones
// (fonts, small sprites) keep crisp texels.
constexpr int linear_filter_min_size = 200;

// Reports SDL's reason before anything else can overwrite it, frees the surface in
// hand and ends the process.
[[noreturn]] void fail_surface_creation(SDL_Surface* in_hand) {
    std::fprintf(stderr, "CreateRGBSurface failed: %s\n", SDL_GetError());
    std::fflush(stderr);
    SDL_FreeSurface(in_hand);
    std::exit(1);
}

int power_of_two_at_least(int size) {
    assert(size <= (1 << 30) && "doubling would overflow");  // SDL surfaces stay far below this
    int result = 1;
    while (result < size) result *= 2;
    return result;
}

// Step 1-3: a copy of the image in the RGBA layout; the image is freed.
SDL_Surface* convert_to_rgba(SDL_Surface* image) {
    SDL_Surface* converted = SDL_CreateRGBSurface(SDL_SWSURFACE, image->w, image->h, rgba_bits_per_pixel, red_mask,
                                                  green_mask, blue_mask, alpha_mask);
    if (!converted) fail_surface_creation(image);
    // With per-surface blending on, the blit would mix the image into the empty
    // (transparent black) surface instead of copying its alpha.
    if (image->flags & SDL_SRCALPHA) SDL_SetAlpha(image, 0, 0);
    SDL_UpperBlit(image, nullptr, converted, nullptr);
    SDL_FreeSurface(image);
    return converted;
}

// Nearest neighbour onto a new W2 x H2 surface of the same layout, with running
// sums and whole-word copies. The sums are 64-bit so no image size can overflow them.
SDL_Surface* resample_to(SDL_Surface* source, int target_width, int target_height) {
    const SDL_PixelFormat* format = source->format;
    SDL_Surface* target = SDL_CreateRGBSurface(source->flags, target_width, target_height, format->BitsPerPixel,
                                               format->Rmask, format->Gmask, format->Bmask, format->Amask);
    if (!target) fail_surface_creation(source);
    assert(!SDL_MUSTLOCK(source) && !SDL_MUSTLOCK(target));
    assert(target->pitch == target_width * rgba_bytes_per_pixel && "upload expects rows without padding");

    const int width = source->w;
    const int height = source->h;
    // An image without pixels has nothing to sample: its texture stays transparent black.
    if (width <= 0 || height <= 0) return target;

    const int source_stride = source->pitch / format->BytesPerPixel;                                 // in pixels
    const int target_stride = target->pitch / target->format->BytesPerPixel * rgba_bytes_per_pixel;  // in bytes
    const auto* source_pixels = static_cast<const Uint32*>(source->pixels);
    auto* target_row = static_cast<Uint8*>(target->pixels);

    std::int64_t row_sum = 0;
    for (int y = 0; y < target_height; ++y, row_sum += height, target_row += target_stride) {
        const std::int64_t r = row_sum / target_height;
        const Uint32* source_row = source_pixels + r * source_stride;
        auto* out = reinterpret_cast<Uint32*>(target_row);
        std::int64_t column_sum = 0;
        for (int x = 0; x < target_width; ++x, column_sum += width) out[x] = source_row[column_sum / target_width];
    }
    return target;
}

void set_texture_parameters(int width, int height) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    // Decided on the size as decoded, not the power-of-two size.
    const GLint filter = width >= linear_filter_min_size || height >= linear_filter_min_size ? GL_LINEAR : GL_NEAREST;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
}

}  // namespace

SDL_Surface* to_power_of_two_rgba(SDL_Surface* image) {
    if (!image) {
        std::fprintf(stderr, "load_texture: no image was decoded\n");
        std::fflush(stderr);
        std::exit(1);
    }
    SDL_Surface* converted = convert_to_rgba(image);
    SDL_Surface* resampled =
        resample_to(converted, power_of_two_at_least(converted->w), power_of_two_at_least(converted->h));
    SDL_FreeSurface(converted);
    return resampled;
}

TextureRecord load_texture(SDL_Surface* image, TextureRegistry& registry) {
    assert(registry.surfaces.size() == registry.texture_names.size());
    const int width = image ? image->w : 0;
    const int height = image ? image->h : 0;
    SDL_Surface* resampled = to_power_of_two_rgba(image);
    registry.surfaces.push_back(resampled);

    GLuint name = 0;
    glGenTextures(1, &name);
    registry.texture_names.push_back(name);

    glBindTexture(GL_TEXTURE_2D, name);
    set_texture_parameters(width, height);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, resampled->w, resampled->h, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 resampled->pixels);
    // The new texture stays bound; the caller binds 0 once all images are in.
    return TextureRecord{width, height, static_cast<std::int32_t>(registry.texture_names.size()) - 1};
}

GLuint texture_name(std::int32_t index) {
    const std::size_t length = texture_registry.texture_names.size();
    if (index < 0 || static_cast<std::size_t>(index) >= length) {
        std::fprintf(stderr, "texture_name: index %d is outside the texture registry of length %zu\n",
                     static_cast<int>(index), length);
        std::fflush(stderr);
        std::exit(1);
    }
    return texture_registry.texture_names[static_cast<std::size_t>(index)];
}
