// Real OpenGL for tests and benchmarks: an offscreen SDL window with the show's
// fixed GL state and canvas projection, and read-back of what was drawn.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Opens (once per process) a window of the given size with SDL's offscreen driver,
// sets the fixed GL state and the projection. Returns false with a reason if no
// GL context could be made.
bool open_offscreen_canvas(int width = 1024, int height = 768, std::string* error = nullptr);

// Loads the embedded images into their slots (once per process).
void load_offscreen_textures();

// The back buffer as RGBA bytes, top row first (as the viewer sees it).
std::vector<std::uint8_t> read_canvas_pixels();

// One pixel of the back buffer at window coordinates (x right, y down).
struct Pixel {
    int r, g, b, a;
};
Pixel canvas_pixel(int x, int y);

// Writes the back buffer to `path` as PNG, for looking at a frame.
bool save_canvas_png(const std::string& path);

int canvas_window_width();
int canvas_window_height();
