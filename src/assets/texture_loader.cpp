// Stand-in registry until the loader lands.
#include "assets/texture_loader.h"

#include <cstdio>
#include <cstdlib>

TextureRegistry texture_registry;

TextureRecord load_texture(SDL_Surface* image, TextureRegistry&) {
    SDL_FreeSurface(image);
    return {0, 0, 0};
}

GLuint texture_name(std::int32_t index) {
    if (index < 0 || static_cast<std::size_t>(index) >= texture_registry.texture_names.size()) return 0;
    return texture_registry.texture_names[static_cast<std::size_t>(index)];
}
