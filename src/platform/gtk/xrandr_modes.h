// Display modes of the primary output (or the first connected one), from XRandR.
#pragma once
#include <X11/Xlib.h>

#include <cstdint>

#include "runtime/dialog_platform.h"

// Reads the modes of the display once; later calls of display_mode see them.
void read_display_modes(Display* display);
// The index-th mode read, reported at 32 bits per pixel; false past the last.
bool display_mode(std::int32_t index, PlatformMode* mode);
