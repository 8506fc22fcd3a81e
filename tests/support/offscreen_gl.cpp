// Real OpenGL in an offscreen SDL window, for tests and benchmarks.
#include "offscreen_gl.h"

#include <SDL.h>
#include <SDL_opengl.h>

#include <algorithm>
#include <cstdlib>

#include "assets/asset_table.h"
#include "png_io.h"
#include "runtime/display_settings.h"
#include "runtime/startup.h"

static int window_width = 0;
static int window_height = 0;

bool open_offscreen_canvas(int width, int height, std::string* error) {
    if (window_width == width && window_height == height) return true;
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    if (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_Init(SDL_INIT_VIDEO) != 0) {
        if (error) *error = std::string("SDL_Init failed: ") + SDL_GetError();
        return false;
    }
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depth_bits);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    if (!SDL_SetVideoMode(width, height, video_bits_per_pixel, SDL_OPENGL)) {
        if (error) *error = std::string("SDL_SetVideoMode failed: ") + SDL_GetError();
        return false;
    }
    window_width = width;
    window_height = height;
    screen_width = width;
    screen_height = height;
    set_fixed_gl_state();
    set_projection();
    return true;
}

void load_offscreen_textures() {
    static bool loaded = false;
    if (loaded) return;
    load_embedded_textures();
    loaded = true;
}

std::vector<std::uint8_t> read_canvas_pixels() {
    const std::size_t row = static_cast<std::size_t>(window_width) * 4;
    std::vector<std::uint8_t> bottom_up(row * window_height);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, window_width, window_height, GL_RGBA, GL_UNSIGNED_BYTE, bottom_up.data());
    std::vector<std::uint8_t> top_down(bottom_up.size());
    for (int y = 0; y < window_height; ++y)
        std::copy_n(bottom_up.data() + (window_height - 1 - y) * row, row, top_down.data() + y * row);
    return top_down;
}

Pixel canvas_pixel(int x, int y) {
    std::uint8_t p[4];
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, window_height - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return {p[0], p[1], p[2], p[3]};
}

bool save_canvas_png(const std::string& path) {
    std::string error;
    const auto pixels = read_canvas_pixels();
    return write_png_rgba(path, window_width, window_height, pixels.data(), error);
}

int canvas_window_width() { return window_width; }
int canvas_window_height() { return window_height; }
