// Display settings: the video mode the show opens. Set at entry, possibly changed
// by the launch dialog, read only during start-up.
#pragma once
#include <cstdint>

constexpr std::int32_t default_screen_width = 1024;
constexpr std::int32_t default_screen_height = 768;
constexpr bool default_fullscreen = true;

extern std::int32_t screen_width;
extern std::int32_t screen_height;
extern bool fullscreen;

// Back to 1024 x 768, full screen.
void reset_display_settings();
