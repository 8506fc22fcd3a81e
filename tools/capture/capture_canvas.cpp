// Headless drawing and read-back of the show's frames.
#include "capture_canvas.h"

#include <SDL.h>
#include <SDL_opengl.h>

#include <cassert>
#include <cstdlib>

#include "runtime/show.h"
#include "runtime/show_frames.h"

namespace {

constexpr std::size_t rgba_bytes = 4;

int canvas_width_px = 0;
int canvas_height_px = 0;

}  // namespace

bool open_capture_canvas(int width, int height, CanvasFit fit, std::string& error) {
    // Set here rather than inherited: the capture never needs a display or a
    // sound card. The window has the size asked for, so the show's start-up
    // leaves the SDL layer's scaling off.
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    if (!open_show({.width = width, .height = height, .fit = fit}, error)) return false;
    canvas_width_px = width;
    canvas_height_px = height;
    return true;
}

bool read_frame_at(std::int32_t ms, std::uint8_t* pixels, std::string& error) {
    draw_show_frame(ms);
    return read_frame(pixels, error);
}

bool read_frame(std::uint8_t* pixels, std::string& error) {
    assert(canvas_width_px > 0 && canvas_height_px > 0);
    // The read buffer is left at its default, the back buffer (or the colour
    // attachment, should the SDL layer draw into a framebuffer object). RGBA is
    // the implementation's own read format here, so the read is a plain copy;
    // pixel buffer objects measured no faster, since llvmpipe finishes the
    // frame before either kind of read.
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, canvas_width_px, canvas_height_px, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    const GLenum status = glGetError();
    if (status != GL_NO_ERROR) {
        error = "reading the frame back failed (OpenGL error " + std::to_string(status) + ")";
        return false;
    }
    return true;
}

std::size_t frame_bytes(int width, int height) {
    return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * rgba_bytes;
}
