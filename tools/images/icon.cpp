// The icon: one block letter in the panel's lettering, sized to the icon.
#include "icon.h"

#include <algorithm>
#include <cassert>
#include <cmath>

#include "asset_rules.h"
#include "block_glyphs.h"
#include "canvas.h"
#include "lettering.h"

namespace {

// Share of the pixel at (x, y) that a rectangle from (x0, y0) to (x1, y1) with
// corners rounded to radius r covers.
float rounded_rect_coverage(float x0, float y0, float x1, float y1, float r, int x, int y) {
    const float px = x + 0.5f, py = y + 0.5f;
    const float cx = std::clamp(px, x0 + r, x1 - r), cy = std::clamp(py, y0 + r, y1 - r);
    return edge_coverage(std::hypot(px - cx, py - cy) - r);
}

}  // namespace

PngImage draw_icon(int size) {
    assert(size >= 16);
    const float s = static_cast<float>(size);
    Canvas canvas = make_canvas(size, size, rgb(0, 0, 0, 0));
    const Colour blue = rgb(panel_background.r, panel_background.g, panel_background.b);
    const Colour rim = rgb(58, 118, 178);
    const float radius = std::max(2.0f, s * 0.16f);
    const float rim_width = std::max(1.0f, s / 32);
    // A lighter rim just inside the edge, as on the panel's rule.
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const float outer = rounded_rect_coverage(0, 0, s, s, radius, x, y);
            const float inner =
                rounded_rect_coverage(rim_width, rim_width, s - rim_width, s - rim_width, radius - rim_width, x, y);
            Colour c = mix(rim, blue, inner);
            c.a = outer;
            canvas.at(x, y) = c;
        }

    // The N fills the middle: five grid units across, as wide as tall, with room
    // for its extruded side down and to the right. At the smallest size the grid
    // falls on whole pixels and the letter is flat, which keeps it legible.
    const bool tiny = size < 24;
    const float unit = tiny ? std::floor(s / 7) : s * 0.118f;
    const float extrude = tiny ? 0 : s / 24;
    const float left = tiny ? std::floor((s - 5 * unit) / 2) : (s - 5 * unit - extrude) / 2;
    const float top = left;
    const std::vector<Shape> letter = {block_glyph('N', place(left, top, unit, unit))};
    const std::vector<GradientStop> ice = {{0.0f, rgb(250, 253, 255)},
                                           {0.46f, rgb(168, 208, 240)},
                                           {0.5f, rgb(46, 96, 156)},
                                           {0.62f, rgb(84, 140, 200)},
                                           {1.0f, rgb(196, 232, 255)}};
    const std::vector<GradientStop> flat_ice = {{0.0f, rgb(255, 255, 255)}, {1.0f, rgb(190, 224, 252)}};
    LetteringStyle style{[&](float t) { return gradient(tiny ? flat_ice : ice, t); },
                         tiny ? 0 : s / 36,
                         {extrude * 0.8f, extrude},
                         rgb(64, 122, 182),
                         rgb(6, 26, 52),
                         tiny ? 0 : std::max(0.6f, s / 80),
                         rgb(4, 16, 34),
                         0,
                         {}};
    draw_lettering(canvas, letter, style);
    return truecolour_alpha_png(canvas);
}

std::string icon_file(int size) { return "icon_" + std::to_string(size) + ".png"; }

bool write_icon_set(const std::string& folder, std::string& error) {
    for (int size : icon_sizes)
        if (!write_png(folder + "/" + icon_file(size), draw_icon(size), error)) return false;
    return true;
}
