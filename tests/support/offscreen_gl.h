// Real OpenGL for tests and benchmarks: the show opened in an offscreen SDL
// window, and read-back of what was drawn.
#pragma once
#include <string>

#include "test_image.h"

// Opens the show (open_show) in a window of the given size with SDL's offscreen
// driver: fixed GL state, projection, the embedded textures in their slots.
// Returns false with a reason if no GL context could be made.
bool open_offscreen_canvas(int width = 1024, int height = 768, std::string* error = nullptr);

// The back buffer, top row first (as the viewer sees it).
RgbaImage read_canvas();

// One pixel of the back buffer at window coordinates (x right, y down).
Pixel canvas_pixel(int x, int y);

// Writes the back buffer to `path` as PNG, for looking at a frame.
bool save_canvas_png(const std::string& path);

int canvas_window_width();
int canvas_window_height();
