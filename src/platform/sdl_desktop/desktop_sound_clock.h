// When the desktop's listener hears the music begin (desktop_sound_clock.cpp);
// the platform's side of platform_sound_mixed and platform_music_heard_at.
#pragma once

// A fresh count of what the device was handed, for a device about to open.
void reset_desktop_sound_clock();
