// The generated art: one drawing function per embedded image, the table that
// names their files, and writing the whole set (and its contact sheet).
#pragma once
#include <string>

#include "assets/embedded_files.h"
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
// In load order, with the file names the build embeds: each image of the
// embedded list is drawn by draw_NAME.
#define GENERATED_IMAGE_ROW(name, file, slot) {file, draw_##name},
inline constexpr GeneratedImage generated_images[] = {INVITATION_EMBEDDED_IMAGES(GENERATED_IMAGE_ROW)};
#undef GENERATED_IMAGE_ROW

// Draws every image into `folder` (which must exist). False with a one-line
// reason in `error` on the first failure.
bool write_image_set(const std::string& folder, std::string& error);

// One sheet showing the ten images of `folder` in a fixed labelled grid.
bool write_contact_sheet(const std::string& folder, const std::string& path, std::string& error);
