// Display settings: the video mode the show opens.
#include "runtime/display_settings.h"

std::int32_t screen_width = default_screen_width;
std::int32_t screen_height = default_screen_height;
bool fullscreen = default_fullscreen;

void reset_display_settings() {
    screen_width = default_screen_width;
    screen_height = default_screen_height;
    fullscreen = default_fullscreen;
}
