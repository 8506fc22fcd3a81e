// A floating-point RGBA picture to draw into, and its conversion to stored PNG
// samples.
#pragma once
#include <cstdint>
#include <vector>

#include "png_io.h"

struct Colour {
    float r = 0, g = 0, b = 0, a = 1;  // 0 to 1, alpha not premultiplied
};

Colour rgb(int r, int g, int b, int a = 255);
Colour mix(Colour from, Colour to, float t);
// `top` laid over `bottom` with `coverage` (0 to 1) of its area.
Colour over(Colour bottom, Colour top, float coverage = 1);
float smoothstep(float edge0, float edge1, float x);

struct Canvas {
    int width = 0;
    int height = 0;
    std::vector<Colour> pixels;
    Colour& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
    const Colour& at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

Canvas make_canvas(int width, int height, Colour fill);

std::uint8_t to_byte(float v);
PngImage truecolour_png(const Canvas& canvas);        // colour type 2; alpha dropped
PngImage truecolour_alpha_png(const Canvas& canvas);  // colour type 6
