// The ten embedded images in load order, their texture record slots, and the
// start-up step that decodes them from memory and turns them into textures.
#include "assets/asset_table.h"

#include <SDL_image.h>

#include <climits>
#include <cstdio>
#include <cstdlib>

#include "assets/embedded_data.h"

TextureRecord test_pattern_texture{};
TextureRecord small_font_texture{};
TextureRecord panel_texture{};
TextureRecord bar_texture{};
TextureRecord cube_texture_c{};
TextureRecord cube_texture_a{};
TextureRecord cube_texture_b{};
TextureRecord page_font_texture{};
TextureRecord scroller_font_texture{};
TextureRecord final_picture_texture{};

namespace {

struct EmbeddedImage {
    const char* name;
    const unsigned char* bytes;
    const std::size_t& size;
    TextureRecord& slot;
};

// Load order: an image's position here is its registry index.
const EmbeddedImage embedded_images[] = {
    {"test_pattern.png", test_pattern_png, test_pattern_png_size, test_pattern_texture},
    {"small_font.png", small_font_png, small_font_png_size, small_font_texture},
    {"panel.png", panel_png, panel_png_size, panel_texture},
    {"bar.png", bar_png, bar_png_size, bar_texture},
    {"cube_c.png", cube_c_png, cube_c_png_size, cube_texture_c},
    {"cube_a.png", cube_a_png, cube_a_png_size, cube_texture_a},
    {"cube_b.png", cube_b_png, cube_b_png_size, cube_texture_b},
    {"page_font.png", page_font_png, page_font_png_size, page_font_texture},
    {"scroller_font.png", scroller_font_png, scroller_font_png_size, scroller_font_texture},
    {"final_picture.png", final_picture_png, final_picture_png_size, final_picture_texture},
};

[[noreturn]] void image_failed(const char* name) {
    std::fprintf(stderr, "embedded image %s: %s\n", name, IMG_GetError());
    std::fflush(stderr);
    std::exit(1);
}

}  // namespace

TextureRecord load_embedded_image(const char* name, const unsigned char* bytes, std::size_t size) {
    if (size > static_cast<std::size_t>(INT_MAX)) image_failed(name);
    // SDL 1.2 takes a non-const pointer; the stream only ever reads from it.
    SDL_RWops* stream = SDL_RWFromMem(const_cast<unsigned char*>(bytes), static_cast<int>(size));
    if (!stream) image_failed(name);
    SDL_Surface* image = IMG_Load_RW(stream, 1);  // the decoder closes the stream
    if (!image) image_failed(name);
    return load_texture(image, texture_registry);
}

void load_embedded_textures() {
    for (const EmbeddedImage& image : embedded_images)
        image.slot = load_embedded_image(image.name, image.bytes, image.size);
    // load_texture leaves each new texture bound; solid drawing needs texture 0.
    glBindTexture(GL_TEXTURE_2D, 0);
}
