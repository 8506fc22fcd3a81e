// The sound device held silent until the viewer's click, and when its music is
// heard (held_sound.js).
#pragma once

extern "C" {
// From now until the release, an audio device the mixer opens makes no Web Audio
// context and plays nothing: the module can be loaded before the click.
void web_hold_sound();
// In the click: the real audio context, and the device starts if the mixer asked
// it to. Without Web Audio the device closes and the show runs silent.
void web_release_sound();
// After each buffer the mixer mixed; `music_begins` marks the music's first.
void web_sound_mixed(bool music_begins);
// A device about to open: no music scheduled yet.
void web_forget_music_start();
// When the music's first frame is heard, in SDL ticks; -1 while not known.
double web_music_heard_ticks();
}
