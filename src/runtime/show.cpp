// Start-up and shutdown: SDL's video and sound through the platform, the video
// mode, the fixed OpenGL state, the projection and the textures.
#include "runtime/show.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <SDL_opengl.h>

#include <ctime>

#include "assets/asset_table.h"
#include "render/particle_random.h"
#include "runtime/beat_clock.h"
#include "runtime/platform.h"
#include "runtime/show_frames.h"

namespace {

constexpr int depth_bits = 16;
constexpr int video_bits_per_pixel = 32;

// The textures outlive a change of window size: the registry is only appended to,
// and each image's registry index must stay its load position.
bool textures_loaded = false;

// The GL attributes, then the video mode from the display settings.
bool open_window(const ShowDesc& desc, std::string& error) {
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depth_bits);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    const Uint32 flags = SDL_OPENGL | (fullscreen ? SDL_FULLSCREEN : 0);
    if (SDL_SetVideoMode(screen_width, screen_height, video_bits_per_pixel, flags) == nullptr) {
        error = std::string("SDL_SetVideoMode failed: ") + SDL_GetError();
        return false;
    }
    if (desc.hide_cursor) SDL_ShowCursor(SDL_DISABLE);
    if (desc.caption) SDL_WM_SetCaption(desc.caption, nullptr);
    return true;
}

// set_projection stretches the canvas over the whole window; a letterbox narrows
// the viewport to the canvas's part. The frame's clear still reaches the whole
// window, whatever the viewport: the bars stay black.
void place_canvas(CanvasFit fit) {
    if (fit == CanvasFit::stretch) return;
    const CanvasArea area = canvas_area(screen_width, screen_height, fit);
    glViewport(area.x, area.y, area.width, area.height);
}

}  // namespace

void seed_random_from_time() { seed_particle_random(static_cast<std::uint32_t>(std::time(nullptr))); }

bool open_show(const ShowDesc& desc, std::string& error) {
    screen_width = desc.width;
    screen_height = desc.height;
    fullscreen = desc.fullscreen;
    if (!SDL_WasInit(SDL_INIT_VIDEO) && !start_platform_video({desc.width, desc.height, desc.fullscreen}, error))
        return false;
    // Video first, then audio; the sound device opens before the video mode is set.
    if (desc.sound != ShowSound::none) open_show_sound(desc.sound);
    if (!open_window(desc, error)) return false;
    set_fixed_gl_state();
    set_projection();
    place_canvas(desc.fit);
    if (!textures_loaded) {
        load_embedded_textures();
        textures_loaded = true;
    }
    start_beat_clock(show_start_ticks);
    return true;
}

void set_fixed_gl_state() {
    glEnable(GL_COLOR_MATERIAL);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void set_projection() {
    if (screen_width <= 0 || screen_height <= 0) return;
    glViewport(0, 0, screen_width, screen_height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, canvas_width, canvas_height, 0.0, -canvas_depth, canvas_depth);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void shut_down() {
    Mix_CloseAudio();
    SDL_Quit();
}
