// Which video driver may carry the show. SDL falls back to its headless drivers
// (offscreen, dummy) when no display is reachable; the show would then run
// unseen, with its music, until killed. Those drivers are taken only when the
// viewer asked for them by name.
#pragma once

// Room for the video driver's name as SDL reports it.
constexpr int video_driver_name_size = 64;

// The line printed when SDL found no display.
constexpr const char* no_display_message =
    "no display to show the invitation on: set DISPLAY to an X display, "
    "or SDL_VIDEODRIVER=offscreen for a headless run";

// True when the show may run on `driver` (the name SDL reports after start-up;
// null when it reports none) with `requested` as SDL_VIDEODRIVER (null when
// unset, possibly a comma-separated list). Headless drivers need to be named in
// `requested`; any other driver shows something and is fine.
bool video_driver_allowed(const char* driver, const char* requested);
