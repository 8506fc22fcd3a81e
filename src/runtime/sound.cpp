// The show's sound: the device and the music made from the embedded module.
#include "runtime/sound.h"

#include <SDL.h>

#include <atomic>
#include <cassert>
#include <cstdint>

#include "assets/embedded_data.h"
#include "runtime/beat_clock.h"
#include "runtime/platform.h"
#include "runtime/sound_format.h"

Mix_Music* music_handle = nullptr;

namespace {

constexpr int bytes_per_frame = audio_channels * 2;

// Set with the audio locked as the music starts; the next buffer mixed begins
// with the module's first frame (the mixer puts music first in each buffer).
std::atomic<bool> music_begins_next{false};

void note_mixed_buffer(void*, Uint8*, int length) {
    platform_sound_mixed(length / bytes_per_frame, music_begins_next.exchange(false));
}

}  // namespace

void open_show_sound(ShowSound sound) {
    assert(sound != ShowSound::none);
    if (!SDL_WasInit(SDL_INIT_AUDIO)) SDL_InitSubSystem(SDL_INIT_AUDIO);
    if (!open_platform_sound(sound == ShowSound::held)) return;
    music_begins_next = false;
    Mix_SetPostMix(note_mixed_buffer, nullptr);
    if (music_module_size == 0) return;
    // The stream stays open for as long as the music plays.
    SDL_RWops* stream = SDL_RWFromMem(const_cast<unsigned char*>(music_module), static_cast<int>(music_module_size));
    music_handle = stream ? Mix_LoadMUS_RW(stream) : nullptr;
}

void start_clock_and_music() {
    if (!music_handle) {
        start_beat_clock(SDL_GetTicks());
        return;
    }
    // Locked, so no buffer is mixed between the clock's hold and the music's start.
    SDL_LockAudio();
    hold_beat_clock(SDL_GetTicks());
    music_begins_next = true;
    Mix_PlayMusic(music_handle, -1);
    SDL_UnlockAudio();
}

void listen_for_beat_zero() {
    std::uint32_t heard = 0;
    if (music_handle && platform_music_heard_at(heard)) hear_beat_zero_at(heard);
}

void close_show_sound() {
    if (music_handle) Mix_FreeMusic(music_handle);
    music_handle = nullptr;
    Mix_CloseAudio();
}
