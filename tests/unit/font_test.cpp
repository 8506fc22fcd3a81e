// The font renderer over the recording GL: texture windows, pen, visibility window,
// the cycling palette and the shockwave.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "fake_textures.h"
#include "gl_recorder.h"
#include "render/font.h"
#include "runtime/beat_clock.h"
#include "show_clock.h"

namespace {

using gl_recorder::Op;

// A 480 x 288 atlas (the page font's size) under a fake texture name.
TextureRecord page_atlas() {
    static const TextureRecord atlas = add_fake_texture(480, 288);
    return atlas;
}

GLuint atlas_name() { return texture_name(page_atlas().index); }

std::vector<gl_recorder::Quad> draw(const std::string& text, int cell = 48, float x_offset = 0, bool effects = false,
                                    std::int32_t ms = 0) {
    set_clock_ms(ms);
    gl_recorder::reset();
    draw_text(text.c_str(), page_atlas(), cell, x_offset, effects);
    return gl_recorder::quads();
}

// The colour glColor3f receives for palette entry k.
std::array<float, 4> palette_colour(std::int64_t k) {
    const PaletteColor& c = cycle_palette[k];
    return {c.r / 255.0f, c.g / 255.0f, c.b / 255.0f, 1.0f};
}

TEST(Font, TextureWindowIsOneCellShiftedByOneTexel) {
    // "A" is glyph 33: column 3, row 3. Corners run top-left, bottom-left,
    // bottom-right, top-right, with the smaller v on top so the glyph stands upright.
    const float u0 = 145.0f / 480.0f, u1 = 193.0f / 480.0f, v0 = 145.0f / 288.0f, v1 = 193.0f / 288.0f;
    const float expected[4][4] = {{u0, v0, 0, 0}, {u0, v1, 0, 48}, {u1, v1, 48, 48}, {u1, v0, 48, 0}};
    for (const char* text : {"A", "a"}) {
        const auto quads = draw(text);
        ASSERT_EQ(quads.size(), 1u);
        for (int k = 0; k < 4; ++k) {
            const auto& v = quads[0].v[k];
            EXPECT_EQ((std::array{v.s, v.t, v.x, v.y}),
                      (std::array{expected[k][0], expected[k][1], expected[k][2], expected[k][3]}))
                << text << " corner " << k;
            EXPECT_EQ(v.texture, atlas_name());
        }
    }
    EXPECT_EQ(draw(")")[0].v[2].s, 481.0f / 480.0f);  // rightmost column
    EXPECT_EQ(draw("R")[0].v[2].t, 289.0f / 288.0f);  // bottom row
}

TEST(Font, OneBindOneBatchAndTextureZeroAfterwards) {
    draw("");
    EXPECT_EQ(gl_recorder::trace(), (std::vector<std::string>{"BindTexture " + std::to_string(atlas_name()),
                                                              "Begin QUADS", "End", "BindTexture 0"}));
    draw("HELLO WORLD\nagain");
    EXPECT_EQ(gl_recorder::count(Op::Begin), 1);
    EXPECT_EQ(gl_recorder::count(Op::BindTexture), 2);
    EXPECT_EQ(gl_recorder::state().bound_texture, 0u);
    EXPECT_EQ(gl_recorder::count(Op::Color), 0);  // effects off: the caller's colour tints
}

TEST(Font, EveryByteTakesACellAndNewlineRestartsTheLine) {
    // Brackets, backslash, caret, underscore, grave, braces, bar, tilde and control
    // bytes draw nothing but still advance the pen.
    const auto skipped = draw(
        "[\\]^_`{|}~\x01\x7f\xc8"
        "A");
    ASSERT_EQ(skipped.size(), 1u);
    EXPECT_EQ(skipped[0].v[0].x, 13 * 48);

    const auto lines = draw("AB\nC\n\nD");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[2].v[0].x, 0);
    EXPECT_EQ(lines[2].v[0].y, 48);
    EXPECT_EQ(lines[3].v[0].y, 144);  // two newlines leave one empty line

    // No vertical test: far below the canvas is still drawn.
    EXPECT_EQ(draw(std::string(40, '\n') + "A").size(), 1u);
}

TEST(Font, HorizontalWindowIsStrictOnTheUndisplacedPen) {
    EXPECT_EQ(draw("A", 48, -100.0f).size(), 0u);
    EXPECT_EQ(draw("A", 48, -99.5f).size(), 1u);
    EXPECT_EQ(draw("A", 48, 1200.0f).size(), 0u);
    EXPECT_EQ(draw("A", 48, 1199.5f).size(), 1u);
    const auto run = draw("ABC", 48, -148.0f);  // pens at -148, -100, -52
    ASSERT_EQ(run.size(), 1u);
    EXPECT_EQ(run[0].v[0].x, 96);  // the offset only selects; it never moves a vertex
}

TEST(Palette, RampsOfElevenInTenEqualSteps) {
    struct Rgb {
        int r, g, b;
    };
    const Rgb ends[6] = {{255, 255, 255}, {0, 255, 255}, {255, 0, 255}, {0, 255, 0}, {255, 0, 255}, {255, 255, 255}};
    auto step = [](int from, int to, int k) {
        const int falling = static_cast<int>(25.5 * (10 - k));
        return from == to ? from : from > to ? falling : 255 - falling;
    };
    for (int ramp = 0; ramp < 5; ++ramp)
        for (int k = 0; k <= 10; ++k) {
            const PaletteColor& c = cycle_palette[ramp * 11 + k];
            EXPECT_EQ(c.r, step(ends[ramp].r, ends[ramp + 1].r, k)) << ramp * 11 + k;
            EXPECT_EQ(c.g, step(ends[ramp].g, ends[ramp + 1].g, k)) << ramp * 11 + k;
            EXPECT_EQ(c.b, step(ends[ramp].b, ends[ramp + 1].b, k)) << ramp * 11 + k;
        }
    auto rgb = [](int k) { return std::vector<int>{cycle_palette[k].r, cycle_palette[k].g, cycle_palette[k].b}; };
    EXPECT_EQ(rgb(0), (std::vector<int>{255, 255, 255}));
    EXPECT_EQ(rgb(10), (std::vector<int>{0, 255, 255}));
    EXPECT_EQ(rgb(11), (std::vector<int>{0, 255, 255}));
    EXPECT_EQ(rgb(21), (std::vector<int>{255, 0, 255}));
    EXPECT_EQ(rgb(27), (std::vector<int>{127, 128, 127}));
    EXPECT_EQ(rgb(44), (std::vector<int>{255, 0, 255}));
    EXPECT_EQ(rgb(54), (std::vector<int>{255, 255, 255}));
}

TEST(Palette, ColoursRunThroughTheTextSixteenEntriesPerBeat) {
    const std::string text(60, 'A');
    // Cell 1 keeps all sixty glyphs inside the horizontal window.
    auto colours = [&](std::int32_t ms, const std::string& t) {
        std::vector<std::array<float, 4>> out;
        for (const auto& q : draw(t, 1, 0, true, ms)) out.push_back(q.v[0].color);
        return out;
    };
    const auto at_0 = colours(0, text), at_1 = colours(500, text), behind = colours(-1000, text);
    ASSERT_EQ(at_0.size(), 60u);
    for (int i = 0; i < 60; ++i) {
        EXPECT_EQ(at_0[i], palette_colour(i % 55)) << i;
        EXPECT_EQ(at_1[i], palette_colour((i + 16) % 55)) << i;
        // A clock behind its start (negative elapsed_ms) still picks entries in range.
        EXPECT_EQ(behind[i], palette_colour(wrap_index(i - 32, 55))) << i;
    }
    // The current colour is left at the last glyph's.
    EXPECT_EQ(gl_recorder::state().color, palette_colour(wrap_index(59 - 32, 55)));
    // A leading newline counts as character 0 and shifts every colour by one.
    EXPECT_EQ(colours(0, "\nAB"), (std::vector{palette_colour(1), palette_colour(2)}));
}

TEST(Palette, BetweenBeatsThePaletteStepIsTruncatedTowardZero) {
    // At 18600 ms (beat 37.2) the text is 16 x 37.2 = 595.2 steps along: 595 whole
    // steps. 300 ms before the start (beat -0.6) it is 9.6 steps behind: 9 whole.
    struct Case {
        std::int32_t ms;
        std::int64_t shift;
    };
    const std::string text(60, 'A');
    for (const Case c : {Case{18600, 595}, Case{-300, -9}}) {
        const auto quads = draw(text, 1, 0, true, c.ms);
        ASSERT_EQ(quads.size(), text.size());
        for (std::size_t i = 0; i < quads.size(); ++i) {
            const std::int64_t n = static_cast<std::int64_t>(i) + c.shift;
            EXPECT_EQ(quads[i].v[0].color, palette_colour(wrap_index(n, palette_size))) << c.ms << " ms, char " << i;
        }
    }
}

TEST(Shockwave, RingPushesGlyphsOutsideItAwayFromTheCentre) {
    // Every even beat the ring restarts: nothing moves.
    for (std::int32_t ms : {0, 1000, 8000})
        for (const auto& q : draw("AAAAAAAAAA\nAAAAAAAAAA", 48, 0, true, ms)) {
            EXPECT_EQ(std::fmod(q.v[0].x, 48.0f), 0.0f);
            EXPECT_EQ(std::fmod(q.v[0].y, 48.0f), 0.0f);
        }

    // Late in the pair of beats, the corner glyph (451 units out) moves by almost a
    // tenth of its distance; the square keeps its size.
    const auto late = draw("A", 48, 0, true, 999);
    const float scale = (late[0].v[0].x - 375.5f) / (0.0f - 375.5f);
    EXPECT_NEAR(scale, 1.0999f, 1e-4f);
    EXPECT_NEAR((late[0].v[0].y - 250.66667f) / (0.0f - 250.66667f), scale, 1e-5f);
    EXPECT_EQ(late[0].v[2].x - late[0].v[0].x, 48.0f);
    EXPECT_EQ(late[0].v[2].y - late[0].v[0].y, 48.0f);

    // A glyph 202 units from the centre is pushed until the ring (radius 400 x
    // phase) passes it, then rests at its pen position.
    const std::string at_400_50 = "\n        A";                         // cell 50: pen (400, 50)
    EXPECT_NE(draw(at_400_50, 50, 0, true, 500).back().v[0].x, 400.0f);  // phase 0.50
    EXPECT_EQ(draw(at_400_50, 50, 0, true, 520).back().v[0].x, 400.0f);  // phase 0.52

    // A glyph next to the centre is passed at once and stays put.
    const auto centre = draw("\n\n   A", 125, 0, true, 400);  // pen (375, 250)
    EXPECT_EQ(centre.back().v[0].x, 375.0f);
    EXPECT_EQ(centre.back().v[0].y, 250.0f);
}

}  // namespace
