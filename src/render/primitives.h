// Immediate-mode drawing primitives on the canvas. None sets a colour: all draw in
// the current colour. Each is one GL_QUADS batch and leaves the matrix as it was.
#pragma once
#include "assets/texture_loader.h"

// Solid rectangle from (x, y) to (x + w, y + h).
void draw_rect(float x, float y, float w, float h);
// Solid rectangle centred on (x, y), w wide and h high.
void draw_centered_rect(float x, float y, float w, float h);
// The whole texture stretched over (x, y) to (x + w, y + h), upright.
void draw_textured_quad(TextureRecord texture, float x, float y, float w, float h);
// A cube centred on the current origin, edges 2 * half_size, the texture on each face.
void draw_textured_cube(TextureRecord texture, float half_size);
