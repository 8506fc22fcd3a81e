// SDL_image's loading entry for the Windows and browser builds: every embedded
// image is a PNG.
#include <SDL_image.h>

#include "platform/png_image/png_decoder.h"

extern "C" SDL_Surface* IMG_Load_RW(SDL_RWops* src, int freesrc) { return decode_png_rw(src, freesrc); }
