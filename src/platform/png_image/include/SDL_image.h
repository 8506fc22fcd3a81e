/* The part of SDL_image's interface the show uses, for the Windows and browser
   builds, which have no SDL_image: the PNG decoder of src/platform/png_image
   serves it (every embedded image is a PNG). */
#ifndef INVITATION_SDL_IMAGE_H
#define INVITATION_SDL_IMAGE_H
#include "SDL.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Decodes a PNG image from the stream; closes the stream when freesrc is non-zero. */
SDL_Surface* IMG_Load_RW(SDL_RWops* src, int freesrc);

#define IMG_SetError SDL_SetError
#define IMG_GetError SDL_GetError

#ifdef __cplusplus
}
#endif
#endif
