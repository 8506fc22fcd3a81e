// Texture loader and registry: a decoded image becomes a power-of-two RGBA
// OpenGL texture, kept for the life of the process.
#pragma once
#include <SDL.h>
#include <SDL_opengl.h>

#include <cstdint>
#include <vector>

// A loaded image: its size as decoded (before any resizing) and its position in
// texture_registry. A plain value, passed by value.
struct TextureRecord {
    std::int32_t width;
    std::int32_t height;
    std::int32_t index;
};

// Two parallel growable arrays, entry i of each belonging to the i-th image
// loaded. Only appended to; never cleared or freed.
struct TextureRegistry {
    std::vector<SDL_Surface*> surfaces;  // retained power-of-two images
    std::vector<GLuint> texture_names;   // their OpenGL texture names
};

extern TextureRegistry texture_registry;

// Converts `image` to 32-bit RGBA, stretches it to a power-of-two size, uploads it
// and appends it to `registry`. Takes ownership of `image`. Leaves the new texture
// bound and the unpack alignment at 1.
TextureRecord load_texture(SDL_Surface* image, TextureRegistry& registry);

// The CPU half of load_texture: a new power-of-two RGBA copy of `image`, which is
// freed. No OpenGL involved.
SDL_Surface* to_power_of_two_rgba(SDL_Surface* image);

// The texture name to bind for a record's index. An index outside the registry
// ends the process with one line and status 1.
GLuint texture_name(std::int32_t index);
