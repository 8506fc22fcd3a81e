// The bitmap font renderer: strings drawn as textured squares cut from a font atlas,
// optionally coloured by the cycling palette and pushed out by the shockwave ring.
#include "render/font.h"

#include <SDL_opengl.h>

#include <cassert>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "runtime/beat_clock.h"

// Five ramps of eleven, each ending on the colour the next one starts with.
const PaletteColor cycle_palette[palette_size] = {
    // white to cyan
    {255, 255, 255},
    {229, 255, 255},
    {204, 255, 255},
    {178, 255, 255},
    {153, 255, 255},
    {127, 255, 255},
    {102, 255, 255},
    {76, 255, 255},
    {51, 255, 255},
    {25, 255, 255},
    {0, 255, 255},
    // cyan to magenta
    {0, 255, 255},
    {26, 229, 255},
    {51, 204, 255},
    {77, 178, 255},
    {102, 153, 255},
    {128, 127, 255},
    {153, 102, 255},
    {179, 76, 255},
    {204, 51, 255},
    {230, 25, 255},
    {255, 0, 255},
    // magenta to green
    {255, 0, 255},
    {229, 26, 229},
    {204, 51, 204},
    {178, 77, 178},
    {153, 102, 153},
    {127, 128, 127},
    {102, 153, 102},
    {76, 179, 76},
    {51, 204, 51},
    {25, 230, 25},
    {0, 255, 0},
    // green to magenta
    {0, 255, 0},
    {26, 229, 26},
    {51, 204, 51},
    {77, 178, 77},
    {102, 153, 102},
    {128, 127, 128},
    {153, 102, 153},
    {179, 76, 179},
    {204, 51, 204},
    {230, 25, 230},
    {255, 0, 255},
    // magenta to white
    {255, 0, 255},
    {255, 26, 255},
    {255, 51, 255},
    {255, 77, 255},
    {255, 102, 255},
    {255, 128, 255},
    {255, 153, 255},
    {255, 179, 255},
    {255, 204, 255},
    {255, 230, 255},
    {255, 255, 255},
};

namespace {

// Atlas layout: ten cells per row, in code order from the space.
constexpr int atlas_columns = 10;
constexpr int first_glyph_code = 32;  // the space, glyph 0
constexpr int last_glyph_code = 90;   // "Z"; the cell after it is never drawn
constexpr int lower_case_first = 97;  // "a" to "z" fold onto "A" to "Z"
constexpr int lower_case_last = 122;
constexpr int case_fold_offset = 32;
constexpr int newline_code = 10;

// Glyphs whose pen x (plus the caller's offset) lies outside this open interval
// are off screen and skipped.
constexpr float visible_left = -100.0f;
constexpr float visible_right = 1200.0f;

// The ring grows from the centre to its full radius once every two beats and
// pushes glyphs outside it away from the centre by up to a tenth.
constexpr float wave_beats_per_beat = 0.5f;
constexpr float wave_centre_x = 375.5f;
constexpr float wave_centre_y = 250.66667f;
constexpr float wave_radius = 400.0f;
constexpr float wave_strength = 0.1f;

// Where the ring stands in its two-beat cycle: 0 at every even beat, just below 1
// before the next.
float wave_phase() {
    const float t = scaled_beats(wave_beats_per_beat);
    return t - std::floor(t);
}

// Character i's palette position at the current beat.
std::int64_t palette_position(std::size_t i) {
    const auto shift = static_cast<std::int64_t>(-palette_steps_per_beat * timing_beats);  // truncates toward zero
    return static_cast<std::int64_t>(i) - shift;
}

constexpr float colour_byte_max = 255.0f;

}  // namespace

void set_palette_colour(std::int64_t n) {
    const PaletteColor& c = cycle_palette[wrap_index(n, palette_size)];
    glColor3f(c.r / colour_byte_max, c.g / colour_byte_max, c.b / colour_byte_max);
}

void draw_text(const char* text, TextureRecord atlas, int cell, float x_offset, bool effects) {
    assert(text != nullptr);
    assert(cell > 0);
    if (text == nullptr) text = "";

    // One bind and one batch for the whole string.
    glBindTexture(GL_TEXTURE_2D, texture_name(atlas.index));
    glBegin(GL_QUADS);

    const float phase = effects ? wave_phase() : 0.0f;
    const float width = static_cast<float>(atlas.width);
    const float height = static_cast<float>(atlas.height);
    const float size = static_cast<float>(cell);
    int pen_x = 0;
    int pen_y = 0;
    for (std::size_t i = 0; text[i] != '\0'; ++i) {
        int c = static_cast<unsigned char>(text[i]);
        if (c >= lower_case_first && c <= lower_case_last) c -= case_fold_offset;

        const bool drawable = c >= first_glyph_code && c <= last_glyph_code;
        const float pen_left = static_cast<float>(pen_x) + x_offset;
        if (drawable && visible_left < pen_left && pen_left < visible_right) {
            const int glyph = c - first_glyph_code;
            const int column = glyph % atlas_columns;
            const int row = glyph / atlas_columns;
            // The window sits one texel right of and below the cell's corner.
            const float u_left = static_cast<float>(cell * column + 1) / width;
            const float u_right = static_cast<float>(cell * (column + 1) + 1) / width;
            const float v_top = static_cast<float>(cell * row + 1) / height;
            const float v_bottom = static_cast<float>(cell * (row + 1) + 1) / height;

            float gx = static_cast<float>(pen_x);
            float gy = static_cast<float>(pen_y);
            if (effects) {
                set_palette_colour(palette_position(i));

                const float dx = gx - wave_centre_x;
                const float dy = gy - wave_centre_y;
                const float square = dx * dx + dy * dy;
                const float dist = std::sqrt(square);
                // Glyphs the ring has not reached yet are pushed outward.
                if (phase < dist / wave_radius) {
                    const float s = 1.0f + wave_strength * phase;
                    gx = wave_centre_x + dx * s;
                    gy = wave_centre_y + dy * s;
                }
            }

            glTexCoord2f(u_left, v_top);
            glVertex2f(gx, gy);
            glTexCoord2f(u_left, v_bottom);
            glVertex2f(gx, gy + size);
            glTexCoord2f(u_right, v_bottom);
            glVertex2f(gx + size, gy + size);
            glTexCoord2f(u_right, v_top);
            glVertex2f(gx + size, gy);
        }

        // Every byte takes a cell; a newline then starts the next line.
        pen_x += cell;
        if (c == newline_code) {
            pen_y += cell;
            pen_x = 0;
        }
    }

    glEnd();
    glBindTexture(GL_TEXTURE_2D, 0);
}
