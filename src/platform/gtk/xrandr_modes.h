// Display modes of the primary output (or the first connected one), from XRandR.
#pragma once
#include <X11/Xlib.h>

// Reads the modes of the display once; later calls of platform_display_mode
// (runtime/platform.h) see them, each reported at 32 bits per pixel.
void read_display_modes(Display* display);
