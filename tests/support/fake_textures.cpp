// Fake texture registry entries for the recording GL tests.
#include "fake_textures.h"

#include <cassert>

TextureRecord add_fake_texture(std::int32_t width, std::int32_t height) {
    assert(texture_registry.surfaces.size() == texture_registry.texture_names.size());
    const auto index = static_cast<std::int32_t>(texture_registry.texture_names.size());
    texture_registry.surfaces.push_back(nullptr);
    texture_registry.texture_names.push_back(first_fake_texture_name + static_cast<GLuint>(index));
    return {width, height, index};
}

std::vector<GLuint> use_fake_textures(const std::vector<TextureRecord*>& slots, std::int32_t width,
                                      std::int32_t height) {
    std::vector<GLuint> names;
    for (TextureRecord* slot : slots) {
        *slot = add_fake_texture(width, height);
        names.push_back(texture_name(slot->index));
    }
    return names;
}
