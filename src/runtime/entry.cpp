// The process entry: settings, launch dialog, start-up, main loop, shutdown.
// The process arguments are ignored.
#include <SDL.h>

#include "assets/asset_table.h"
#include "runtime/display_settings.h"
#include "runtime/launch_dialog.h"
#include "runtime/main_loop.h"
#include "runtime/startup.h"

int main(int, char*[]) {
    reset_display_settings();
    if (!run_launch_dialog()) return -1;  // Cancel: nothing else is started

    seed_random_from_time();
    init_sdl();  // video drawn straight into the window where no scaling is needed
    open_music();
    open_video();
    set_fixed_gl_state();
    set_projection();
    load_embedded_textures();

    start_clock_and_music();
    run_main_loop();

    shut_down();
    return 0;
}
