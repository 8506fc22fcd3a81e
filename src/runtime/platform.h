// What a platform gives the show. The runtime calls these; each build's platform
// folders implement all of them:
//   Linux    src/platform/gtk (dialog, display modes) and src/platform/sdl_desktop
//   Windows  src/platform/win32 (dialog, display modes) and src/platform/sdl_desktop
//   browser  src/platform/web (no dialog and no modes: the page's panel stands in)
#pragma once
#include <cstdint>
#include <string>

#include "runtime/dialog_platform.h"

// Dialog: shows the launch dialog modally over edited_settings and returns what
// ended it: dialog_result_run, dialog_result_cancel, or dialog_result_not_created
// when no dialog can be shown (for instance without a display); that case is quiet.
int run_platform_dialog();

// Display modes: the index-th mode of the primary display, counting from 0, for
// the dialog's resolution list; false when there is none with that index.
bool platform_display_mode(std::int32_t index, PlatformMode* mode);

// The video mode the show is about to open.
struct VideoRequest {
    int width;
    int height;
    bool fullscreen;
};

// Video driver choice and scaling decision: starts SDL's video for `request` on a
// driver the platform accepts, scaled as the platform decides (on the desktop,
// through the SDL 1.2 compatibility layer's scaling buffer only where the mode
// needs it). False with one line in `error` when there is no video, or only a
// driver that would show nothing (SDL is then shut down again).
bool start_platform_video(const VideoRequest& request, std::string& error);

// Sound start: opens the audio device in the show's format (sound_format.h) for
// the mixer, quietly. `held` keeps it silent until a click lets the page play
// sound; only the browser holds. False when there is no device: the show then
// runs without sound.
bool open_platform_sound(bool held);

// Sound heard, so that beat 0 is where the listener hears the module begin. The
// mixer calls platform_sound_mixed on its own thread (or in the page's audio
// task) after each buffer of `frames` sample frames it mixed; `music_begins`
// marks the buffer whose first frame is the module's first.
void platform_sound_mixed(int frames, bool music_begins);
// The tick count (SDL_GetTicks) at which the module's first frame reaches the
// listener; false while the platform cannot tell yet. Asked once per main-loop
// turn while the music plays; an answer may be refined from turn to turn.
bool platform_music_heard_at(std::uint32_t& ticks);
