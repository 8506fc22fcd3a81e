// Opening the show without its dialog, sound or loop; single and still frames.
#include "runtime/show.h"

#include <SDL.h>
#include <SDL_opengl.h>

#include <cassert>

#include "assets/asset_table.h"
#include "render/frame.h"
#include "render/particle_random.h"
#include "runtime/beat_clock.h"
#include "runtime/display_settings.h"
#include "runtime/startup.h"

namespace {

// The textures outlive a change of window size: the registry is only appended to,
// and each image's registry index must stay its load position.
bool textures_loaded = false;

}  // namespace

CanvasArea canvas_area(int width, int height, CanvasFit fit) {
    assert(width > 0 && height > 0);
    if (fit == CanvasFit::stretch) return {0, 0, width, height};
    // Wider than 4:3: bars left and right; taller: bars above and below. The
    // products are formed in 64 bits, so any window size is safe.
    const std::int64_t w = width, h = height;
    const std::int64_t canvas_w = static_cast<std::int64_t>(canvas_width),
                       canvas_h = static_cast<std::int64_t>(canvas_height);
    if (w * canvas_h > h * canvas_w) {
        const int fitted = static_cast<int>((h * canvas_w + canvas_h / 2) / canvas_h);
        return {(width - fitted) / 2, 0, fitted, height};
    }
    const int fitted = static_cast<int>((w * canvas_h + canvas_w / 2) / canvas_w);
    return {0, (height - fitted) / 2, width, fitted};
}

bool open_show(int width, int height, std::string& error, CanvasFit fit) {
    if (!SDL_WasInit(SDL_INIT_VIDEO) && SDL_Init(SDL_INIT_VIDEO) != 0) {
        error = std::string("SDL_Init failed: ") + SDL_GetError();
        return false;
    }
    screen_width = width;
    screen_height = height;
    fullscreen = false;
    if (!set_video_mode()) {
        error = std::string("SDL_SetVideoMode failed: ") + SDL_GetError();
        return false;
    }
    set_fixed_gl_state();
    set_projection();
    // The frame's clear reaches the whole window, whatever the viewport: the bars stay black.
    const CanvasArea area = canvas_area(width, height, fit);
    glViewport(area.x, area.y, area.width, area.height);
    if (!textures_loaded) {
        load_embedded_textures();
        textures_loaded = true;
    }
    start_beat_clock(show_start_ticks);
    return true;
}

void draw_show_frame(std::uint32_t ticks) {
    update_beat_clock(ticks);
    draw_frame();
}

void present_show_frame() { SDL_GL_SwapBuffers(); }

void seed_still_frame(const StillFrame& still) { seed_particle_random(still.seed); }

void draw_warmup_frames(const StillFrame& still, std::int64_t count) {
    assert(still.at_ms >= 0);
    const std::uint32_t ticks = show_start_ticks + static_cast<std::uint32_t>(still.at_ms);
    for (std::int64_t k = 0; k < count; ++k) {
        draw_show_frame(ticks);
        present_show_frame();
    }
}

void draw_still_frame(const StillFrame& still) {
    seed_still_frame(still);
    draw_warmup_frames(still, still.warmup_frames);
    draw_show_frame(show_start_ticks + static_cast<std::uint32_t>(still.at_ms));
}
