// What every image of the embedded set must be, and the check that tells a
// replacement image apart from a broken one.
#pragma once
#include <string>
#include <vector>

#include "assets/embedded_files.h"

// Colour types as stored in a PNG header.
constexpr int png_truecolour = 2;
constexpr int png_palette = 3;
constexpr int png_truecolour_alpha = 6;

// Font atlases: 10 × 6 square cells from the top-left pixel; cell k holds the
// glyph of character code 32 + k.
constexpr int atlas_columns = 10;
constexpr int atlas_rows = 6;
constexpr int atlas_first_code = 32;
constexpr int page_font_cell = 48;
constexpr int scroller_font_cell = 64;
constexpr int small_font_cell = 32;
constexpr int page_font_outline = 6;  // pixels of opaque black around each stroke
constexpr int scroller_transparent_entry = 255;

// The glyphs each atlas has; every other cell is empty.
inline constexpr const char page_font_glyphs[] = "!()*,-.0123456789:;?@ABCDEFGHIJKLMNOPQRSTUVWXYZ";
inline constexpr const char scroller_font_glyphs[] = "!()*,.0123456789:?ABCDEFGHIJKLMNOPQRSTUVWXYZ";
// The small font must have these; it may add punctuation, never a space.
inline constexpr const char small_font_glyphs[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";

struct Rgb {
    int r, g, b;
};
struct CubeColour {
    Rgb colour;
    int alpha;
};
constexpr CubeColour cube_a_colour{{255, 0, 0}, 170};
constexpr CubeColour cube_b_colour{{0, 254, 32}, 109};
constexpr CubeColour cube_c_colour{{3, 0, 136}, 159};
constexpr CubeColour cube_side_colour{{162, 162, 162}, 188};  // left and right triangles
constexpr Rgb cube_diagonal_colour{127, 127, 127};            // opaque, top-right to bottom-left

constexpr Rgb panel_background{14, 57, 102};  // also the bar colour
constexpr int test_pattern_shade_alpha = 74;  // the translucent black areas

// Pixel sizes of the images that are not atlases filled by their grid.
constexpr int test_pattern_size = 256;
constexpr int cube_size = 256;
constexpr int panel_width = 257, panel_height = 600;
constexpr int scroller_font_width = 688, scroller_font_height = 428;
constexpr int final_picture_width = 1024, final_picture_height = 768;

// What the header of one image must say.
struct ImageShape {
    int width;
    int height;
    int colour_type;
};
// Each embedded image's shape, by its name in the embedded list.
constexpr ImageShape test_pattern_shape{test_pattern_size, test_pattern_size, png_truecolour_alpha};
constexpr ImageShape small_font_shape{atlas_columns * small_font_cell, atlas_rows* small_font_cell, png_palette};
constexpr ImageShape panel_shape{panel_width, panel_height, png_truecolour};
constexpr ImageShape bar_shape{1, 1, png_palette};
constexpr ImageShape cube_c_shape{cube_size, cube_size, png_truecolour_alpha};
constexpr ImageShape cube_a_shape{cube_size, cube_size, png_truecolour_alpha};
constexpr ImageShape cube_b_shape{cube_size, cube_size, png_truecolour_alpha};
constexpr ImageShape page_font_shape{atlas_columns * page_font_cell, atlas_rows* page_font_cell, png_truecolour_alpha};
constexpr ImageShape scroller_font_shape{scroller_font_width, scroller_font_height, png_palette};
constexpr ImageShape final_picture_shape{final_picture_width, final_picture_height, png_truecolour};

// One image of the set, in load order.
struct AssetImage {
    const char* file;
    int width;
    int height;
    int colour_type;
};
#define ASSET_IMAGE_ROW(name, file, slot) {file, name##_shape.width, name##_shape.height, name##_shape.colour_type},
inline constexpr AssetImage asset_images[] = {INVITATION_EMBEDDED_IMAGES(ASSET_IMAGE_ROW)};
#undef ASSET_IMAGE_ROW
constexpr int asset_image_count = sizeof asset_images / sizeof asset_images[0];

// Checks the embedded images in `folder`. Returns one line per failure, each naming
// the file, the property, what was expected and what was found; none if all hold.
std::vector<std::string> check_asset_folder(const std::string& folder);
