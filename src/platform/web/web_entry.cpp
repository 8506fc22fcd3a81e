// The browser's entry. The page calls in rather than a main function. While its
// launch panel waits, the page has the show prepared: opened on the canvas with
// its pictures, the sound device opened but held silent and the module loaded.
// Run then only releases the sound, in the click that lets the browser play it,
// and starts clock and music together; after the end the next run is prepared
// the same way, so Run again starts at once too. An address with a query asks
// for one frozen frame instead, drawn a slice at a time.
#include <SDL.h>
#include <emscripten.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/web/emulation/held_sound.h"
#include "platform/web/web_frozen_view.h"
#include "platform/web/web_loop.h"
#include "platform/web/web_page.h"
#include "render/particle_field.h"
#include "runtime/show.h"

namespace {

enum class PageUse { undecided, show, frozen_view };

PageUse use = PageUse::undecided;
bool video_ready = false;  // opened on the canvas, fixed state, textures
bool sound_ready = false;  // the device opened (held) and the module loaded
bool running = false;

// The show opened on the page's canvas, at the canvas's size in device pixels,
// without its sound: that comes in a task of its own (prepare_sound), so the page
// answers in between, and again before every run. Without a picture there is no
// show: the line goes to standard error, which the page shows, and the program
// ends.
void prepare_video() {
    if (video_ready) return;
    int width = 0;
    int height = 0;
    page_canvas_pixels(width, height);
    std::string error;
    if (!open_show({.width = width, .height = height}, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        std::fflush(stderr);
        std::exit(1);
    }
    video_ready = true;
}

// The show's sound step, the device held silent until Run.
void prepare_sound() {
    if (sound_ready) return;
    open_show_sound(ShowSound::held);
    sound_ready = true;
}

// As the desktop's shutdown, without SDL_Quit, which the emulation ignores: the
// sound ends and the page takes over. The next run loads the module again.
void end_show() {
    close_show_sound();
    sound_ready = false;
    running = false;
    page_show_ended();
}

// Start-up as on the desktop, the launch panel standing in for the dialog and
// what could be done before the click already done: a fresh field and generator,
// then clock and music together. Full screen is the page's to enter.
void start_show() {
    prepare_video();
    prepare_sound();
    web_release_sound();
    discard_queued_events();
    reset_particle_field();  // as a fresh process has it
    seed_random_from_time();
    start_clock_and_music();
    running = true;
    run_web_main_loop(end_show);
}

bool claim(PageUse wanted) {
    if (use == PageUse::undecided) use = wanted;
    return use == wanted;
}

}  // namespace

extern "C" {

// While the panel waits (and after the end, for the next run), in two steps so
// the page answers in between: the show opened on the canvas with its pictures,
// then the sound device, held, and the module. Each does nothing once done, or
// while the show runs.
EMSCRIPTEN_KEEPALIVE void web_prepare_picture() {
    if (claim(PageUse::show) && !running) prepare_video();
}

EMSCRIPTEN_KEEPALIVE void web_prepare_sound() {
    if (claim(PageUse::show) && !running) prepare_sound();
}

// Run, and Run again after the end. Does nothing while the show runs.
EMSCRIPTEN_KEEPALIVE void web_start_show() {
    if (!claim(PageUse::show) || running) return;
    start_show();
}

// The touch controls: Skip 10 s is the S key, End show the quit request.
EMSCRIPTEN_KEEPALIVE void web_skip_ahead() {
    if (running) queue_key_press(SDLK_s);
}

EMSCRIPTEN_KEEPALIVE void web_end_show() {
    if (running) queue_quit();
}

// The frozen-time view for the page's query (without '?'): opens the view and
// returns an empty text, or opens nothing and returns the one line that says what
// is wrong with the query. The page then draws it with web_draw_frozen_view.
EMSCRIPTEN_KEEPALIVE const char* web_open_frozen_view(const char* query) {
    static std::string error;
    error.clear();
    if (!claim(PageUse::frozen_view)) {
        error = "the show has already started";
    } else {
        open_frozen_view(query ? query : "", error);
    }
    return error.c_str();
}

EMSCRIPTEN_KEEPALIVE double web_frozen_view_warmup_frames() { return static_cast<double>(frozen_view_warmup_frames()); }

// Draws for about `budget_ms`; the warm-up frames left, 0 once the frame is drawn.
EMSCRIPTEN_KEEPALIVE double web_draw_frozen_view(double budget_ms) {
    return static_cast<double>(draw_frozen_view_slice(budget_ms));
}

}  // extern "C"
