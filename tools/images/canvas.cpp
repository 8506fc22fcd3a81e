// Colour arithmetic and canvas conversion for the generated art.
#include "canvas.h"

#include <algorithm>
#include <cmath>

Colour rgb(int r, int g, int b, int a) { return {r / 255.0f, g / 255.0f, b / 255.0f, a / 255.0f}; }

Colour mix(Colour from, Colour to, float t) {
    return {from.r + (to.r - from.r) * t, from.g + (to.g - from.g) * t, from.b + (to.b - from.b) * t,
            from.a + (to.a - from.a) * t};
}

Colour over(Colour bottom, Colour top, float coverage) {
    const float ta = top.a * coverage;
    const float a = ta + bottom.a * (1 - ta);
    if (a <= 0) return {0, 0, 0, 0};
    const float kb = bottom.a * (1 - ta);
    return {(top.r * ta + bottom.r * kb) / a, (top.g * ta + bottom.g * kb) / a, (top.b * ta + bottom.b * kb) / a, a};
}

float smoothstep(float edge0, float edge1, float x) {
    const float t = std::clamp((x - edge0) / (edge1 - edge0), 0.0f, 1.0f);
    return t * t * (3 - 2 * t);
}

Canvas make_canvas(int width, int height, Colour fill) {
    return Canvas{width, height, std::vector<Colour>(static_cast<std::size_t>(width) * height, fill)};
}

std::uint8_t to_byte(float v) { return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255)); }

PngImage truecolour_png(const Canvas& canvas) {
    PngImage image{canvas.width, canvas.height, 2, {}, {}, {}, false, false};
    image.samples.reserve(canvas.pixels.size() * 3);
    for (const Colour& c : canvas.pixels) {
        image.samples.push_back(to_byte(c.r));
        image.samples.push_back(to_byte(c.g));
        image.samples.push_back(to_byte(c.b));
    }
    return image;
}

PngImage truecolour_alpha_png(const Canvas& canvas) {
    PngImage image{canvas.width, canvas.height, 6, {}, {}, {}, false, false};
    image.samples.reserve(canvas.pixels.size() * 4);
    for (const Colour& c : canvas.pixels) {
        const std::uint8_t a = to_byte(c.a);
        // Fully transparent pixels store black, which keeps the file small and
        // the colour under linear filtering predictable.
        image.samples.push_back(a ? to_byte(c.r) : 0);
        image.samples.push_back(a ? to_byte(c.g) : 0);
        image.samples.push_back(a ? to_byte(c.b) : 0);
        image.samples.push_back(a);
    }
    return image;
}
