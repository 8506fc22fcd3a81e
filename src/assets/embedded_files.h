// The one list of the files the build embeds, in load order. Everything that
// names them reads this list: the byte arrays (NAME_png, music_module), the asset
// table's slots, the build's embedding step (CMake reads the lines below), the
// asset check and the image generator (which find their per-image rules and
// drawings by NAME). Replacing or adding a picture starts here.
//
// EMBEDDED_IMAGE(NAME, FILE, SLOT): src/assets/data/FILE becomes NAME_png and
// loads into the texture record SLOT; the position in the list is the registry
// index. EMBEDDED_MODULE(NAME, FILE): src/assets/data/FILE becomes NAME.
//
// The list's users paste names together from NAME, so a search for a whole name
// (draw_panel) finds where it is defined but not the table that uses it; search
// for the pattern as written here (draw_NAME) or as pasted (draw_##). Each
// pasted name, where it is pasted and where it is defined:
//   NAME_png, NAME_png_size  pasted in assets/embedded_data.h (declared),
//                            assets/asset_table.cpp, tests/unit/png_decoder_test.cpp;
//                            defined in build/embedded/NAME_png.cpp, which the
//                            build writes (cmake/embed_file.cmake)
//   NAME_shape               pasted and defined in tools/asset_check/asset_rules.h
//   NAME_index               pasted into enum ImageIndex, tools/asset_check/asset_rules.cpp
//   check_image_NAME         pasted and defined in tools/asset_check/asset_rules.cpp
//   draw_NAME                pasted and declared in tools/images/image_set.h,
//                            defined in tools/images/*.cpp
// The module's NAME and NAME_size: declared in assets/embedded_data.h, defined in
// build/embedded/NAME.cpp. SLOT is written out whole (declared in
// assets/asset_table.h, defined in assets/asset_table.cpp).
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
