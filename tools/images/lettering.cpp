// Shaded block lettering.
#include "lettering.h"

#include <algorithm>
#include <cassert>
#include <cmath>

Colour gradient(const std::vector<GradientStop>& stops, float t) {
    assert(!stops.empty());
    if (t <= stops.front().at) return stops.front().colour;
    for (std::size_t i = 1; i < stops.size(); ++i)
        if (t <= stops[i].at)
            return mix(stops[i - 1].colour, stops[i].colour, (t - stops[i - 1].at) / (stops[i].at - stops[i - 1].at));
    return stops.back().colour;
}

namespace {

// The face is lit from the top-left; the extruded sides, which face down and to
// the right, take a second light from the upper right so the two sides differ.
const Vec2 to_light{-0.6f, -0.8f};
const Vec2 to_side_light{0.8f, -0.6f};

float facing(Vec2 outward, Vec2 light) { return outward.x * light.x + outward.y * light.y; }
float facing_light(Vec2 outward) { return facing(outward, to_light); }

void draw_letter(Canvas& canvas, const Shape& face, const LetteringStyle& style) {
    const bool extruded = style.extrude.x != 0 || style.extrude.y != 0;
    const Shape side = extruded ? sweep(face, style.extrude) : Shape{};
    const float depth = std::sqrt(style.extrude.x * style.extrude.x + style.extrude.y * style.extrude.y);
    const float margin = style.outline + 4 * style.glow + 2;
    const int x0 = std::max(0, static_cast<int>(std::floor(std::min(face.left, side.left) - margin)));
    const int y0 = std::max(0, static_cast<int>(std::floor(std::min(face.top, side.top) - margin)));
    const int x1 = std::min(canvas.width, static_cast<int>(std::ceil(std::max(face.right, side.right) + margin)));
    const int y1 = std::min(canvas.height, static_cast<int>(std::ceil(std::max(face.bottom, side.bottom) + margin)));
    const float height = face.bottom - face.top;

    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const Vec2 p{x + 0.5f, y + 0.5f};
            const ShapeSample f = sample_shape(face, p);
            const float side_distance = extruded ? outside_distance(side, p) : f.distance;
            const float body = std::min(f.distance, side_distance);
            Colour& px = canvas.at(x, y);
            if (style.glow > 0 && body > 0) px = over(px, style.glow_colour, std::exp(-body / style.glow));
            if (body > style.outline + 1) continue;
            if (style.outline > 0) px = over(px, style.outline_colour, edge_coverage(body - style.outline));
            if (extruded) {
                // The side: lit by where its nearest face edge points, darker toward the back.
                const float light = std::clamp(0.5f + 0.6f * facing(f.outward, to_side_light), 0.0f, 1.0f);
                const float back = std::clamp(f.distance / depth, 0.0f, 1.0f);
                Colour c = mix(style.side_shaded, style.side_lit, light * (1 - 0.5f * back));
                px = over(px, c, edge_coverage(side_distance));
            }
            Colour c = style.face(std::clamp((p.y - face.top) / height, 0.0f, 1.0f));
            if (style.bevel > 0) {
                const float rim = 1 - smoothstep(style.bevel - 0.75f, style.bevel + 0.75f, -f.distance);
                const float k = facing_light(f.outward);
                const Colour lit = k > 0 ? mix(c, rgb(255, 255, 255), 0.75f * k) : mix(c, rgb(0, 0, 0), -0.55f * k);
                c = mix(c, lit, rim);
            }
            px = over(px, c, edge_coverage(f.distance));
        }
}

}  // namespace

void draw_lettering(Canvas& canvas, const std::vector<Shape>& letters, const LetteringStyle& style) {
    // In reading order, so each letter's side passes behind the next letter's face.
    for (const Shape& letter : letters) draw_letter(canvas, letter, style);
}
