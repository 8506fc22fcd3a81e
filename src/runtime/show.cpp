// Opening the show without its dialog, sound or loop; single and still frames.
#include "runtime/show.h"

#include <SDL.h>

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

bool open_show(int width, int height, std::string& error) {
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
