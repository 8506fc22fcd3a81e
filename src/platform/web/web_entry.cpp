// The browser's entry. The page calls in rather than a main function: Run on its
// launch panel starts the show, in the click that lets the browser play sound;
// an address with a query asks for one frozen frame instead.
#include <SDL.h>
#include <emscripten.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/web/frozen_view_query.h"
#include "platform/web/web_loop.h"
#include "platform/web/web_page.h"
#include "runtime/show.h"
#include "runtime/startup.h"
#include "runtime/still_frame.h"

namespace {

bool started = false;

// The show opened on the page's canvas, at the canvas's size in device pixels.
void open_show_on_page() {
    int width = 0;
    int height = 0;
    page_canvas_pixels(width, height);
    std::string error;
    if (!open_show(width, height, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        std::fflush(stderr);
        std::exit(1);
    }
}

// Start-up as on the desktop, the launch panel standing in for the dialog: the
// show opened on the canvas, then the sound, then clock and music together. Full
// screen is the page's to enter.
void start_show() {
    seed_random_from_time();
    open_show_on_page();
    SDL_InitSubSystem(SDL_INIT_AUDIO);
    open_music();
    start_clock_and_music();
    run_web_main_loop();
}

}  // namespace

extern "C" {

// Run on the launch panel. Only the first call starts anything.
EMSCRIPTEN_KEEPALIVE void web_start_show() {
    if (started) return;
    started = true;
    start_show();
}

// The frozen-time view for the page's query (without '?'): draws the frame and
// returns an empty text, or draws nothing and returns the one line that says
// what is wrong with the query.
EMSCRIPTEN_KEEPALIVE const char* web_show_frozen_view(const char* query) {
    static std::string error;
    error.clear();
    StillFrame view;
    if (started || !parse_frozen_view_query(query ? query : "", view, error)) {
        if (error.empty()) error = "the show has already started";
        return error.c_str();
    }
    started = true;
    open_show_on_page();
    draw_still_frame(view);
    present_show_frame();
    return error.c_str();
}

}  // extern "C"
