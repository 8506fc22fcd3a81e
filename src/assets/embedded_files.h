// The one list of the files the build embeds, in load order. Everything that
// names them reads this list: the byte arrays (NAME_png, music_module), the asset
// table's slots, the build's embedding step (CMake reads the lines below), the
// asset check and the image generator (which find their per-image rules and
// drawings by NAME). Replacing or adding a picture starts here.
//
// EMBEDDED_IMAGE(NAME, FILE, SLOT): src/assets/data/FILE becomes NAME_png and
// loads into the texture record SLOT; the position in the list is the registry
// index. EMBEDDED_MODULE(NAME, FILE): src/assets/data/FILE becomes NAME.
#pragma once

#define INVITATION_EMBEDDED_IMAGES(EMBEDDED_IMAGE)                            \
    EMBEDDED_IMAGE(test_pattern, "test_pattern.png", test_pattern_texture)    \
    EMBEDDED_IMAGE(small_font, "small_font.png", small_font_texture)          \
    EMBEDDED_IMAGE(panel, "panel.png", panel_texture)                         \
    EMBEDDED_IMAGE(bar, "bar.png", bar_texture)                               \
    EMBEDDED_IMAGE(cube_c, "cube_c.png", cube_texture_c)                      \
    EMBEDDED_IMAGE(cube_a, "cube_a.png", cube_texture_a)                      \
    EMBEDDED_IMAGE(cube_b, "cube_b.png", cube_texture_b)                      \
    EMBEDDED_IMAGE(page_font, "page_font.png", page_font_texture)             \
    EMBEDDED_IMAGE(scroller_font, "scroller_font.png", scroller_font_texture) \
    EMBEDDED_IMAGE(final_picture, "final_picture.png", final_picture_texture)

#define INVITATION_EMBEDDED_MODULE(EMBEDDED_MODULE) EMBEDDED_MODULE(music_module, "music.xm")
