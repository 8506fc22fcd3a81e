// The three font atlases, drawn from the block face.
#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>

#include "asset_rules.h"
#include "block_glyphs.h"
#include "canvas.h"
#include "image_set.h"

namespace {

// Glyph placement inside a cell. The font renderer samples each cell one texel
// right of and below its corner, so glyphs sit one pixel right of and below the
// cell's centre and keep clear of every cell edge, which also keeps linear
// filtering from bleeding a neighbour into view.
struct CellLayout {
    int cell;
    float unit;    // pixels per grid block
    float origin;  // offset of the glyph grid from the cell corner
};
constexpr CellLayout page_layout{page_font_cell, 6, 10};
constexpr CellLayout scroller_layout{scroller_font_cell, 10, 8};
constexpr CellLayout small_layout{small_font_cell, 5, 4};

bool in_set(const char* glyphs, int code) { return code != 0 && std::strchr(glyphs, code) != nullptr; }

// Calls draw(shape, cell_x, cell_y, origin_x, origin_y) for every glyph of the set.
template <typename Draw>
void for_each_glyph(const char* glyphs, const CellLayout& layout, Draw draw) {
    for (int k = 0; k < atlas_columns * atlas_rows; ++k) {
        const int code = atlas_first_code + k;
        if (!in_set(glyphs, code)) continue;
        const int cx = (k % atlas_columns) * layout.cell, cy = (k / atlas_columns) * layout.cell;
        const float ox = cx + layout.origin, oy = cy + layout.origin;
        draw(block_glyph(static_cast<char>(code), place(ox, oy, layout.unit, layout.unit)), cx, cy, ox, oy);
    }
}

}  // namespace

PngImage draw_page_font() {
    Canvas canvas = make_canvas(atlas_columns * page_font_cell, atlas_rows * page_font_cell, {0, 0, 0, 0});
    for_each_glyph(page_font_glyphs, page_layout, [&](const Shape& shape, int cx, int cy, float, float) {
        for (int y = cy; y < cy + page_font_cell; ++y)
            for (int x = cx; x < cx + page_font_cell; ++x) {
                const float d = sample_shape(shape, {x + 0.5f, y + 0.5f}).distance;
                const float stroke = edge_coverage(d);
                const float outline = edge_coverage(d - page_font_outline);
                canvas.at(x, y) = {stroke, stroke, stroke, std::max(stroke, outline)};
            }
    });
    return truecolour_alpha_png(canvas);
}

// White scanline glyphs: each block row of the face is two stripes of five pixel
// rows, three lit (bright, bright, dimmer) and two open.
PngImage draw_scroller_font() {
    constexpr int width = scroller_font_width, height = scroller_font_height;
    constexpr int stripe_period = 5;
    constexpr float stripe_shade[stripe_period] = {1.0f, 1.0f, 0.78f, 0, 0};
    constexpr int grey_levels = scroller_transparent_entry;  // entries 0..254, opaque greys
    PngImage image{width, height, png_palette, {}, {}, {}, false, false};
    image.samples.assign(static_cast<std::size_t>(width) * height, scroller_transparent_entry);
    for (int i = 0; i < grey_levels; ++i) {
        const auto v = static_cast<std::uint8_t>(std::lround(i * 255.0 / (grey_levels - 1)));
        image.palette.push_back({v, v, v});
    }
    image.palette.push_back({0, 0, 0});
    image.palette_alpha.assign(256, 255);
    image.palette_alpha[scroller_transparent_entry] = 0;

    for_each_glyph(scroller_font_glyphs, scroller_layout, [&](const Shape& shape, int cx, int cy, float, float oy) {
        for (int y = cy; y < cy + scroller_font_cell; ++y) {
            const int row = static_cast<int>(std::floor(y + 0.5f - oy));
            if (row < 0) continue;
            const float shade = stripe_shade[row % stripe_period];
            if (shade == 0) continue;
            for (int x = cx; x < cx + scroller_font_cell; ++x) {
                const float v = shade * edge_coverage(sample_shape(shape, {x + 0.5f, y + 0.5f}).distance);
                if (v < 0.12f) continue;
                image.samples[static_cast<std::size_t>(y) * width + x] =
                    static_cast<std::uint8_t>(std::lround(v * (grey_levels - 1)));
            }
        }
    });
    return image;
}

// Copper-gradient pixel glyphs with a one-pixel dark rim; palette entry 0 is the
// transparent background.
PngImage draw_small_font() {
    constexpr int width = atlas_columns * small_font_cell, height = atlas_rows * small_font_cell;
    constexpr std::uint8_t clear = 0, rim = 1, first_shade = 2;
    const int glyph_height = static_cast<int>(small_layout.unit * block_glyph_rows);
    struct Stop {
        float at;
        Colour colour;
    };
    const Stop copper[] = {{0.0f, rgb(150, 52, 12)},
                           {0.3f, rgb(255, 226, 150)},
                           {0.45f, rgb(255, 176, 70)},
                           {0.75f, rgb(204, 84, 22)},
                           {1.0f, rgb(112, 30, 8)}};
    PngImage image{width, height, png_palette, {}, {}, {}, false, false};
    image.samples.assign(static_cast<std::size_t>(width) * height, clear);
    image.palette = {{0, 0, 0}, {36, 12, 2}};
    for (int row = 0; row < glyph_height; ++row) {
        const float t = (row + 0.5f) / glyph_height;
        int s = 0;
        while (copper[s + 1].at < t) ++s;
        const Colour c =
            mix(copper[s].colour, copper[s + 1].colour, (t - copper[s].at) / (copper[s + 1].at - copper[s].at));
        image.palette.push_back({to_byte(c.r), to_byte(c.g), to_byte(c.b)});
    }
    image.palette_alpha = {0};

    const char* glyphs = page_font_glyphs;  // every shape of the face
    for_each_glyph(glyphs, small_layout, [&](const Shape& shape, int cx, int cy, float, float oy) {
        for (int y = cy; y < cy + small_font_cell; ++y)
            for (int x = cx; x < cx + small_font_cell; ++x) {
                const float d = sample_shape(shape, {x + 0.5f, y + 0.5f}).distance;
                std::uint8_t& px = image.samples[static_cast<std::size_t>(y) * width + x];
                if (d < 0) {
                    const int row = std::clamp(static_cast<int>(y + 0.5f - oy), 0, glyph_height - 1);
                    px = static_cast<std::uint8_t>(first_shade + row);
                } else if (d < 1.5f) {
                    px = rim;
                }
            }
    });
    return image;
}
