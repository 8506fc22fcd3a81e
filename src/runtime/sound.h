// The show's sound: how a show has it, the music made from the embedded module,
// and the sound step of start-up.
#pragma once
#include <SDL_mixer.h>

enum class ShowSound {
    none,     // no audio device: the capture, the tests, the frozen view
    playing,  // opened at start-up, plays from the start of the show: the desktop
    held,     // opened but silent until a click lets the page play it: the browser
};

// The music made from the embedded module; null when it could not be loaded.
extern Mix_Music* music_handle;

// SDL's audio, the device opened by the platform (open_platform_sound, held for
// ShowSound::held) and the embedded module loaded into music_handle. Failure is
// quiet, the sound library's own complaints included: the show then runs without
// sound.
void open_show_sound(ShowSound sound);

// Lets the music go while its player is still set up and closes the device,
// which ends the sound; the next open_show_sound loads the module again. The
// desktop never needs it: its music plays until the process ends.
void close_show_sound();
