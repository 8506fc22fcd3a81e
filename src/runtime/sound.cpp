// The show's sound: the device and the music made from the embedded module.
#include "runtime/sound.h"

#include <SDL.h>

#include <cassert>

#include "assets/embedded_data.h"
#include "runtime/platform.h"

Mix_Music* music_handle = nullptr;

void open_show_sound(ShowSound sound) {
    assert(sound != ShowSound::none);
    if (!SDL_WasInit(SDL_INIT_AUDIO)) SDL_InitSubSystem(SDL_INIT_AUDIO);
    if (!open_platform_sound(sound == ShowSound::held)) return;
    if (music_module_size == 0) return;
    // The stream stays open for as long as the music plays.
    SDL_RWops* stream = SDL_RWFromMem(const_cast<unsigned char*>(music_module), static_cast<int>(music_module_size));
    music_handle = stream ? Mix_LoadMUS_RW(stream) : nullptr;
}

void close_show_sound() {
    if (music_handle) Mix_FreeMusic(music_handle);
    music_handle = nullptr;
    Mix_CloseAudio();
}
