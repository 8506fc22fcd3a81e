// Real OpenGL in an offscreen SDL window, for tests and benchmarks.
#include "offscreen_gl.h"

#include <SDL.h>
#include <SDL_opengl.h>

#include <algorithm>
#include <cstdlib>

#include "runtime/show.h"

static int window_width = 0;
static int window_height = 0;

bool open_offscreen_canvas(int width, int height, std::string* error) {
    if (window_width == width && window_height == height) return true;
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    std::string reason;
    if (!open_show({.width = width, .height = height}, reason)) {
        if (error) *error = reason;
        return false;
    }
    window_width = width;
    window_height = height;
    return true;
}

RgbaImage read_canvas() {
    const std::size_t row = static_cast<std::size_t>(window_width) * 4;
    std::vector<std::uint8_t> bottom_up(row * window_height);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, window_width, window_height, GL_RGBA, GL_UNSIGNED_BYTE, bottom_up.data());
    RgbaImage image{window_width, window_height, std::vector<std::uint8_t>(bottom_up.size())};
    for (int y = 0; y < window_height; ++y)
        std::copy_n(bottom_up.data() + (window_height - 1 - y) * row, row, image.rgba.data() + y * row);
    return image;
}

Pixel canvas_pixel(int x, int y) {
    std::uint8_t p[4];
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, window_height - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return {p[0], p[1], p[2], p[3]};
}

bool save_canvas_png(const std::string& path) { return static_cast<bool>(write_image(path, read_canvas())); }

int canvas_window_width() { return window_width; }
int canvas_window_height() { return window_height; }
