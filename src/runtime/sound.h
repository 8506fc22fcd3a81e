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

// Starts the music from the module's start and holds the beat clock at beat 0
// until the platform says when that start is heard; without music the clock
// starts at once.
void start_clock_and_music();

// Once per main-loop turn, before the clock is read: what the platform knows of
// when the music was heard, handed to the beat clock.
void listen_for_beat_zero();

// Lets the music go while its player is still set up and closes the device,
// which ends the sound; the next open_show_sound loads the module again. The
// desktop never needs it: its music plays until the process ends.
void close_show_sound();
