// Headless drawing and read-back of the show's frames.
#include "capture_canvas.h"

#include <SDL.h>
#include <SDL_opengl.h>

#include <cassert>
#include <cstdlib>

#include "assets/asset_table.h"
#include "render/frame.h"
#include "runtime/beat_clock.h"
#include "runtime/display_settings.h"
#include "runtime/startup.h"

namespace {

// Any tick count serves as the clock's start: elapsed_ms is the difference.
constexpr std::uint32_t capture_start_ticks = 0;
constexpr std::size_t rgba_bytes = 4;

int canvas_width_px = 0;
int canvas_height_px = 0;

// The clock as one turn of the main loop sets it, for ticks = start + ms.
void set_clock(std::int32_t ms) {
    update_beat_clock(capture_start_ticks + static_cast<std::uint32_t>(ms));
    assert(elapsed_ms == ms);
}

}  // namespace

bool open_capture_canvas(int width, int height, std::string& error) {
    // Set here rather than inherited: the capture never needs a display or a sound card.
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        error = std::string("SDL_Init failed: ") + SDL_GetError();
        return false;
    }
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depth_bits);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    if (!SDL_SetVideoMode(width, height, video_bits_per_pixel, SDL_OPENGL)) {
        error = std::string("SDL_SetVideoMode failed: ") + SDL_GetError();
        return false;
    }
    screen_width = width;
    screen_height = height;
    fullscreen = false;
    canvas_width_px = width;
    canvas_height_px = height;
    set_fixed_gl_state();
    set_projection();
    load_embedded_textures();
    start_beat_clock(capture_start_ticks);
    return true;
}

void draw_frame_at(std::int32_t ms) {
    set_clock(ms);
    render_frame();
}

bool read_frame_at(std::int32_t ms, std::uint8_t* pixels, std::string& error) {
    assert(canvas_width_px > 0 && canvas_height_px > 0);
    set_clock(ms);
    // Read before the swap: afterwards the back buffer's content is undefined.
    // The read buffer is left at its default, the back buffer (or the colour
    // attachment, should the SDL layer draw into a framebuffer object). RGBA is
    // the implementation's own read format here, so the read is a plain copy;
    // pixel buffer objects measured no faster, since llvmpipe finishes the
    // frame before either kind of read.
    draw_frame();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, canvas_width_px, canvas_height_px, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    const GLenum status = glGetError();
    SDL_GL_SwapBuffers();
    if (status != GL_NO_ERROR) {
        error = "reading the frame back failed (OpenGL error " + std::to_string(status) + ")";
        return false;
    }
    return true;
}

std::size_t frame_bytes(int width, int height) {
    return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * rgba_bytes;
}
