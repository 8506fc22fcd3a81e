// Display lettering for the pictures: block-face shapes with a shaded face, a
// bevelled rim lit from the top-left, an extruded side and an outline.
#pragma once
#include <functional>
#include <vector>

#include "canvas.h"
#include "shapes.h"

struct LetteringStyle {
    // Face colour by height within the letter, 0 at its top and 1 at its bottom.
    std::function<Colour(float)> face;
    float bevel = 0;               // pixels of lit rim inside the edge
    Vec2 extrude{0, 0};            // offset of the back of the extruded block
    Colour side_lit, side_shaded;  // extruded side facing the light and away from it
    float outline = 0;             // pixels of outline around face and side
    Colour outline_colour;
    float glow = 0;  // pixels of soft light around the letter (falloff length)
    Colour glow_colour;
};

void draw_lettering(Canvas& canvas, const std::vector<Shape>& letters, const LetteringStyle& style);

// Colour along a list of (position, colour) stops, positions rising from 0 to 1.
struct GradientStop {
    float at;
    Colour colour;
};
Colour gradient(const std::vector<GradientStop>& stops, float t);
