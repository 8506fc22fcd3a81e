// Stand-in until the images land: the slots stay empty.
#include "assets/asset_table.h"

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

void load_embedded_textures() { glBindTexture(GL_TEXTURE_2D, 0); }
