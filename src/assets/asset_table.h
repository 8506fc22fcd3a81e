// The ten embedded images and the texture record slots the effects draw with.
#pragma once
#include <cstddef>

#include "assets/texture_loader.h"

extern TextureRecord test_pattern_texture;
extern TextureRecord small_font_texture;
extern TextureRecord panel_texture;
extern TextureRecord bar_texture;
extern TextureRecord cube_texture_c;
extern TextureRecord cube_texture_a;
extern TextureRecord cube_texture_b;
extern TextureRecord page_font_texture;
extern TextureRecord scroller_font_texture;
extern TextureRecord final_picture_texture;

// Decodes one PNG held in memory and turns it into a texture. A stream that cannot
// be made or an image that does not decode ends the process with one line on
// standard error naming the image, and status 1.
TextureRecord load_embedded_image(const char* name, const unsigned char* bytes, std::size_t size);

// Decodes the ten images in table order, turns each into a texture and fills its
// slot, then binds texture 0.
void load_embedded_textures();
