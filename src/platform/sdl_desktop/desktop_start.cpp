// The SDL desktop's start-up, shared by the Linux and Windows builds: video on a
// driver that shows something, with the compatibility layer's scaling only where
// the mode needs it, and the sound device opened quietly.
#include <SDL.h>
#include <SDL_mixer.h>

#include <cassert>
#include <cstdlib>
#include <string>

#include "platform/sdl_desktop/desktop_sound_clock.h"
#include "platform/sdl_desktop/layer_scaling.h"
#include "platform/sdl_desktop/stderr_hold.h"
#include "platform/sdl_desktop/video_driver.h"
#include "runtime/platform.h"
#include "runtime/sound_format.h"

namespace {

// The drivers SDL tries on its way to a display may print their own lines; what
// matters comes in one line of the show's own. A restart lets the compatibility
// layer read its scaling setting again.
bool start_video(bool restart, std::string& error) {
    const int held = hold_stderr();
    if (restart) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    const int status = restart ? SDL_InitSubSystem(SDL_INIT_VIDEO) : SDL_Init(SDL_INIT_VIDEO);
    release_stderr(held);
    if (status == 0) return true;
    error = std::string("SDL_Init failed: ") + SDL_GetError();
    return false;
}

// Before a mode is set, SDL reports the desktop's mode as the current one.
DesktopSize desktop_size() {
    const SDL_VideoInfo* info = SDL_GetVideoInfo();
    return info ? DesktopSize{info->current_w, info->current_h} : unknown_desktop;
}

}  // namespace

bool start_platform_video(const VideoRequest& request, std::string& error) {
    choose_layer_scaling(request);
    if (!start_video(false, error)) return false;
    char name[video_driver_name_size];
    const char* driver = SDL_VideoDriverName(name, sizeof name);
    if (!video_driver_allowed(driver, std::getenv("SDL_VIDEODRIVER"))) {
        SDL_Quit();
        error = no_display_message;
        return false;
    }
    // Full screen at the desktop's own size needs no scaling either, and that size
    // is known only now.
    if (choose_layer_scaling_again(request, desktop_size())) return start_video(true, error);
    return true;
}

bool open_platform_sound(bool held) {
    // Only a page waits for a click before it may play.
    assert(!held);
    (void)held;
    // Without a sound card ALSA prints its search for one; the show then runs silent.
    reset_desktop_sound_clock();
    const int quiet = hold_stderr();
    const int status = Mix_OpenAudio(audio_rate, AUDIO_S16LSB, audio_channels, audio_buffer_frames);
    release_stderr(quiet);
    return status == 0;
}
