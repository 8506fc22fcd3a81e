// The generated art: one drawing function per embedded image, the table that
// names their files, and writing the whole set (and its contact sheet).
#pragma once
#include <string>

#include "png_io.h"

PngImage draw_test_pattern();
PngImage draw_small_font();
PngImage draw_panel();
PngImage draw_bar();
PngImage draw_cube_a();
PngImage draw_cube_b();
PngImage draw_cube_c();
PngImage draw_page_font();
PngImage draw_scroller_font();
PngImage draw_final_picture();

struct GeneratedImage {
    const char* file;
    PngImage (*draw)();
};
// In load order, with the file names the build embeds.
inline constexpr GeneratedImage generated_images[] = {
    {"test_pattern.png", draw_test_pattern}, {"small_font.png", draw_small_font},
    {"panel.png", draw_panel},               {"bar.png", draw_bar},
    {"cube_c.png", draw_cube_c},             {"cube_a.png", draw_cube_a},
    {"cube_b.png", draw_cube_b},             {"page_font.png", draw_page_font},
    {"scroller_font.png", draw_scroller_font}, {"final_picture.png", draw_final_picture},
};

// Draws every image into `folder` (which must exist). False with a one-line
// reason in `error` on the first failure.
bool write_image_set(const std::string& folder, std::string& error);

// One sheet showing the ten images of `folder` in a fixed labelled grid.
bool write_contact_sheet(const std::string& folder, const std::string& path, std::string& error);
