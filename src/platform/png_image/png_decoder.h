// PNG decoding from an SDL stream into an SDL surface, with the results the show
// expects from SDL_image 1.2: palette images stay 8-bit palette surfaces (a
// single fully transparent entry becomes the colour key), truecolour images
// become 24- or 32-bit surfaces with R, G, B, A in memory order (alpha ones with
// SDL_SRCALPHA), samples are taken as stored (no gamma). The Windows and
// browser builds, which have no SDL_image, serve IMG_Load_RW from it.
#pragma once
#include <SDL.h>

// Decodes the PNG at the stream's position. On failure returns null with SDL's
// error set and the stream back where it was. Closes the stream when
// close_stream is non-zero, on success and failure alike.
SDL_Surface* decode_png_rw(SDL_RWops* stream, int close_stream);
