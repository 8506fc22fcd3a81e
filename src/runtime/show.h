// Opening the show: start-up written once, described by a ShowDesc handed to
// open_show. The desktop entry, the page, the capture program, the offscreen
// tests and the benchmarks all open the show here; what differs between them
// (window size, full screen, canvas fit, sound, caption and cursor) is the
// description they pass. The launch dialog comes before, on the desktop only;
// clock and music start after, once the caller is ready to draw.
#pragma once
#include <string>

#include "render/canvas.h"
#include "runtime/display_settings.h"
#include "runtime/sound.h"

struct ShowDesc {
    int width = default_screen_width;  // the video mode, in pixels
    int height = default_screen_height;
    bool fullscreen = false;
    CanvasFit fit = CanvasFit::stretch;  // how the canvas covers the window
    ShowSound sound = ShowSound::none;
    const char* caption = nullptr;  // the window's title; null leaves it as it is
    bool hide_cursor = false;
};

// Seeds the particle field's generator with the calendar time in seconds.
void seed_random_from_time();

// Start-up, in this order: the display settings taken from `desc`; SDL's video
// through the platform (start_platform_video; once per process, a later open
// reuses it); the sound, unless desc.sound is none; the video mode with its depth
// buffer and double buffering, the cursor and the caption; the fixed OpenGL
// state; the projection, the canvas placed by desc.fit; the embedded textures
// (once per process); the beat clock at show_start_ticks. False with one line in
// `error` when there is no video or no OpenGL window of that size: the caller
// reports it and decides the exit.
bool open_show(const ShowDesc& desc, std::string& error);

// The fixed OpenGL state for the whole run: texturing, blending, colour material.
void set_fixed_gl_state();
// Viewport and matrices that stretch the canvas over a screen_width x
// screen_height window; nothing for a size that is not positive.
void set_projection();
// Closes the audio device and SDL.
void shut_down();
