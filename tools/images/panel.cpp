// The right-hand panel: the party's name in large extruded ice-chrome block
// letters, stacked in a zig-zag down the tall narrow panel, with the year in gold
// below, all on the uniform panel blue; and the 1 × 1 bar image of that blue.
#include "asset_rules.h"
#include "block_glyphs.h"
#include "canvas.h"
#include "image_set.h"
#include "lettering.h"

namespace {

Colour panel_blue() { return rgb(panel_background.r, panel_background.g, panel_background.b); }

}  // namespace

PngImage draw_panel() {
    Canvas canvas = make_canvas(panel_width, panel_height, panel_blue());

    // N, O, R, V, A, L, E stacked down the panel in wide letters.
    constexpr float name_unit_x = 32, name_unit_y = 12, name_step = 72, name_top = 12;
    constexpr float name_x = (panel_width - 5 * name_unit_x - 7) / 2;
    std::vector<Shape> name;
    const char* letters = "NORVALE";
    for (int i = 0; letters[i]; ++i)
        name.push_back(block_glyph(letters[i], place(name_x, name_top + i * name_step, name_unit_x, name_unit_y)));
    const std::vector<GradientStop> ice = {{0.0f, rgb(250, 253, 255)},
                                           {0.46f, rgb(168, 208, 240)},
                                           {0.5f, rgb(46, 96, 156)},
                                           {0.62f, rgb(84, 140, 200)},
                                           {1.0f, rgb(196, 232, 255)}};
    LetteringStyle name_style{[&](float t) { return gradient(ice, t); },
                              3.5f,
                              {7, 9},
                              rgb(64, 122, 182),
                              rgb(6, 26, 52),
                              2.0f,
                              rgb(4, 16, 34),
                              0,
                              {}};
    draw_lettering(canvas, name, name_style);

    // A thin rule between the name and the year, clear of the panel's edges.
    constexpr int rule_y = 522, rule_margin = 24;
    for (int x = rule_margin; x < panel_width - rule_margin; ++x) {
        canvas.at(x, rule_y) = rgb(58, 118, 178);
        canvas.at(x, rule_y + 1) = rgb(8, 36, 68);
    }

    constexpr float year_unit = 9.4f, year_top = 533;
    constexpr float year_width = (3 * 6 + 5) * year_unit;
    const std::vector<Shape> year =
        block_text("2008", place((panel_width - year_width - 5) / 2, year_top, year_unit, year_unit));
    const std::vector<GradientStop> gold = {{0.0f, rgb(255, 250, 214)},
                                            {0.46f, rgb(255, 204, 92)},
                                            {0.5f, rgb(150, 66, 12)},
                                            {0.65f, rgb(220, 120, 30)},
                                            {1.0f, rgb(255, 214, 120)}};
    LetteringStyle year_style{[&](float t) { return gradient(gold, t); },
                              2.0f,
                              {4, 5},
                              rgb(170, 84, 20),
                              rgb(60, 20, 4),
                              1.5f,
                              rgb(4, 16, 34),
                              0,
                              {}};
    draw_lettering(canvas, year, year_style);
    return truecolour_png(canvas);
}

PngImage draw_bar() {
    PngImage image{1, 1, png_palette, {0}, {}, {}, true, false};
    image.palette = {{static_cast<std::uint8_t>(panel_background.r), static_cast<std::uint8_t>(panel_background.g),
                      static_cast<std::uint8_t>(panel_background.b)}};
    return image;
}
