// The bitmap font renderer and the cycling palette.
#pragma once
#include <cstdint>

#include "assets/texture_loader.h"

constexpr int palette_size = 55;
struct PaletteColor {
    std::uint8_t r, g, b;
};
// Five ramps of eleven: white, cyan, magenta, green, magenta, white.
extern const PaletteColor cycle_palette[palette_size];
// The palette runs by 16 entries per beat, through the text pages' letters and
// through the scroller's colour alike.
constexpr float palette_steps_per_beat = 16.0f;

// Sets the current colour to palette entry n mod 55 (any n, negative included).
void set_palette_colour(std::int64_t n);

// Draws `text` from the atlas's cells of `cell` pixels, one cell per byte, in one
// GL_QUADS batch. `x_offset` is the caller's horizontal translation in the text's
// own units, used only to skip glyphs off screen. `effects` turns on the palette
// colouring and the shockwave.
void draw_text(const char* text, TextureRecord atlas, int cell, float x_offset, bool effects);
