// The show's own letter shapes: capitals, digits and punctuation designed on a
// grid of 5 × 5 square blocks, each block full, empty or cut at 45 degrees, so
// every font and every title in the art shares one bold, blocky face.
#pragma once
#include "shapes.h"

constexpr int block_glyph_columns = 5;
constexpr int block_glyph_rows = 5;

// Whether the face has a shape for this character (upper case only).
bool has_block_glyph(char c);

// The glyph's shape with its grid placed by `placement` (grid units to pixels):
// block (0, 0) spans grid units 0 to 1 in both directions.
Shape block_glyph(char c, const Affine& placement);

// Shapes of a line of text, one cell of `advance` grid units per character
// (spaces and characters without a shape leave their cell empty).
std::vector<Shape> block_text(const char* text, const Affine& placement, float advance = 6);
