// The process entry: settings, launch dialog, start-up, main loop, shutdown.
// The process arguments are ignored.
#include <SDL.h>  // on Windows, SDL's start-up library calls this main as SDL_main

#include <cstdio>
#include <string>

#include "runtime/display_settings.h"
#include "runtime/launch_dialog.h"
#include "runtime/main_loop.h"
#include "runtime/show.h"
#include "runtime/window_caption.h"

int main(int, char*[]) {
    reset_display_settings();
    if (!run_launch_dialog()) return -1;  // Cancel: nothing else is started

    seed_random_from_time();
    const ShowDesc desktop{.width = screen_width,
                           .height = screen_height,
                           .fullscreen = fullscreen,
                           .sound = ShowSound::playing,
                           .caption = window_caption,
                           .hide_cursor = true};
    std::string error;
    if (!open_show(desktop, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        std::fflush(stderr);
        return 1;
    }

    start_clock_and_music();
    run_main_loop();

    shut_down();
    return 0;
}
