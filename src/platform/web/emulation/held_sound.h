// The sound device held silent until the viewer's click (held_sound.js).
#pragma once

extern "C" {
// From now until the release, an audio device the mixer opens makes no Web Audio
// context and plays nothing: the module can be loaded before the click.
void web_hold_sound();
// In the click: the real audio context, and the device starts if the mixer asked
// it to. Without Web Audio the device closes and the show runs silent.
void web_release_sound();
}
