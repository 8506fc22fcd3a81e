// The show's start-up in the browser: the emulation's one video driver on the
// page's canvas, which needs no choosing and no scaling, and the sound device,
// which may be opened held (emulation/held_sound.js) so that the module can be
// loaded before the viewer's click, and which says when the music is heard.
#include <SDL.h>
#include <SDL_mixer.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "platform/web/emulation/held_sound.h"
#include "runtime/platform.h"
#include "runtime/sound_format.h"

bool start_platform_video(const VideoRequest&, std::string& error) {
    if (SDL_Init(SDL_INIT_VIDEO) == 0) return true;
    error = std::string("SDL_Init failed: ") + SDL_GetError();
    return false;
}

bool open_platform_sound(bool held) {
    web_forget_music_start();
    if (held) web_hold_sound();
    return Mix_OpenAudio(audio_rate, AUDIO_S16LSB, audio_channels, audio_buffer_frames) == 0;
}

void platform_sound_mixed(int, bool music_begins) { web_sound_mixed(music_begins); }

bool platform_music_heard_at(std::uint32_t& ticks) {
    const double heard = web_music_heard_ticks();
    if (heard < 0) return false;
    ticks = static_cast<std::uint32_t>(std::llround(heard));
    return true;
}
