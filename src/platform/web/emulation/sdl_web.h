// Included ahead of every source of the browser build. Emscripten's SDL header
// declares that every surface must be locked, because its surfaces live in
// canvases; the build's own memory surfaces (sdl_surfaces.cpp) never need it, and
// the texture loader relies on SDL's meaning of the macro.
#pragma once
#include <SDL.h>

#undef SDL_MUSTLOCK
#define SDL_MUSTLOCK(S) (((S)->flags & SDL_RLEACCEL) != 0)
