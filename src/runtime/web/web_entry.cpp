// The browser's entry. The page calls in rather than a main function: Run on its
// launch panel starts the show, in the click that lets the browser play sound;
// an address with a query asks for one frozen frame instead.
#include <SDL.h>
#include <emscripten.h>

#include <string>

#include "assets/asset_table.h"
#include "render/frame.h"
#include "render/particle_random.h"
#include "runtime/beat_clock.h"
#include "runtime/display_settings.h"
#include "runtime/startup.h"
#include "runtime/web/frozen_view_query.h"
#include "runtime/web/web_canvas.h"
#include "runtime/web/web_loop.h"

namespace {

// The frozen view's clock starts at tick 0, as the capture program's does.
constexpr std::uint32_t frozen_start_ticks = 0;

bool started = false;

// Start-up as on the desktop, the launch panel standing in for the dialog. The
// video mode is the page's size; full screen is the page's to enter.
void start_show(bool fullscreen_checked) {
    reset_display_settings();
    fullscreen = fullscreen_checked;
    seed_random_from_time();
    init_sdl();
    open_music();
    size_display_to_page();
    open_video();
    set_fixed_gl_state();
    set_projection();
    load_embedded_textures();
    start_clock_and_music();
    run_web_main_loop();
}

// The frame the capture program writes for the same values: start-up, the seed
// right before the first frame, the warm-up frames at the same time, then the frame.
void draw_frozen_frame(const FrozenView& view) {
    reset_display_settings();
    fullscreen = false;
    init_sdl();
    size_display_to_page();
    open_video();
    set_fixed_gl_state();
    set_projection();
    load_embedded_textures();
    start_beat_clock(frozen_start_ticks);
    seed_particle_random(view.seed);
    const std::uint32_t ticks = frozen_start_ticks + static_cast<std::uint32_t>(view.at_ms);
    for (std::int64_t k = 0; k < view.warmup_frames; ++k) {
        update_beat_clock(ticks);
        render_frame();
    }
    update_beat_clock(ticks);
    render_frame();
}

}  // namespace

extern "C" {

// Run on the launch panel. Only the first call starts anything.
EMSCRIPTEN_KEEPALIVE void web_start_show(int fullscreen_checked) {
    if (started) return;
    started = true;
    start_show(fullscreen_checked != 0);
}

// The frozen-time view for the page's query (without '?'): draws the frame and
// returns an empty text, or draws nothing and returns the one line that says
// what is wrong with the query.
EMSCRIPTEN_KEEPALIVE const char* web_show_frozen_view(const char* query) {
    static std::string error;
    error.clear();
    FrozenView view;
    if (started || !parse_frozen_view_query(query ? query : "", view, error)) {
        if (error.empty()) error = "the show has already started";
        return error.c_str();
    }
    started = true;
    draw_frozen_frame(view);
    return error.c_str();
}

}  // extern "C"
