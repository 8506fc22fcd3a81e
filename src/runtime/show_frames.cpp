// Single and still frames on an open show.
#include "runtime/show_frames.h"

#include <SDL.h>

#include <cassert>

#include "render/frame.h"
#include "render/particle_random.h"
#include "runtime/beat_clock.h"

std::uint32_t show_ticks(std::int32_t ms) {
    assert(ms >= 0);
    return show_start_ticks + static_cast<std::uint32_t>(ms);
}

void draw_show_frame(std::int32_t ms) {
    update_beat_clock(show_ticks(ms));
    draw_frame();
}

void present_show_frame() { SDL_GL_SwapBuffers(); }

StillFrameRun start_still_frame(const StillFrame& still) {
    assert(still.warmup_frames >= 0);
    seed_particle_random(still.seed);
    return {still, still.warmup_frames};
}

bool warm_up_still_frame(StillFrameRun& run, bool (*stop)()) {
    assert(stop);
    while (run.warmup_left > 0 && !stop()) {
        draw_show_frame(run.still.at_ms);
        present_show_frame();
        --run.warmup_left;
    }
    return run.warmup_left == 0;
}

void draw_still_frame(const StillFrameRun& run) {
    assert(run.warmup_left == 0);
    draw_show_frame(run.still.at_ms);
}
