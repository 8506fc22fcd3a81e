// Start-up steps between the launch dialog and the main loop.
#pragma once
#include "runtime/window_caption.h"

// Music: 44.1 kHz, signed 16-bit little-endian stereo, 8192-frame mixing buffers.
constexpr int audio_rate = 44100;
constexpr int audio_channels = 2;
constexpr int audio_buffer_frames = 8192;
constexpr int depth_bits = 16;
constexpr int video_bits_per_pixel = 32;
constexpr const char* window_caption = INVITATION_WINDOW_CAPTION;

// Canvas: every drawing happens in 1024 x 768 units, y down, depth -4000..4000.
constexpr float canvas_width = 1024.0f;
constexpr float canvas_height = 768.0f;
constexpr float canvas_depth = 4000.0f;

// Seeds the particle field's generator with the calendar time in seconds.
void seed_random_from_time();
// Room for the video driver's name as SDL reports it.
constexpr int video_driver_name_size = 64;

// SDL video, then audio. No video, or only a headless video driver that
// SDL_VIDEODRIVER did not ask for, ends the process with one line and status 1.
// Video starts with the compatibility layer's scaling on only where the display
// settings need it (layer_scaling.h), restarting once for full screen at the
// desktop's own size. Audio is started quietly: when it fails the show runs
// without sound.
void init_sdl();
// Opens the audio device and loads the embedded module into music_handle. Failure
// is quiet, the sound library's own complaints included: the show then runs
// without sound.
void open_music();
// GL attributes, video mode from the display settings, cursor, caption. A video
// mode that cannot be set ends the process with one line and status 1.
void open_video();
// The GL attributes and the video mode from the display settings; false when SDL
// cannot set that mode (SDL_GetError says why).
bool set_video_mode();
// The fixed OpenGL state for the whole run: texturing, blending, colour material.
void set_fixed_gl_state();
// Viewport and matrices that stretch the canvas over the window.
void set_projection();
// Starts the beat clock and the music at the same moment.
void start_clock_and_music();
// Closes the audio device and SDL.
void shut_down();
