// The frame composition over the recording GL stand-in: layer order, the two
// envelopes at their edges, the scroller's path and flash, matrix balance.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "assets/asset_table.h"
#include "fake_textures.h"
#include "gl_recorder.h"
#include "render/font.h"
#include "render/frame.h"
#include "render/particle_field.h"
#include "render/particle_random.h"
#include "render/scroll_text.h"
#include "runtime/beat_clock.h"
#include "show_clock.h"

namespace {

using gl_recorder::Op;
using Colour = std::array<float, 4>;

constexpr float panel_width = 257;
constexpr float panel_height = 600;

struct Slot {
    TextureRecord* record;
    const char* label;
};
const Slot slots[] = {
    {&test_pattern_texture, "test pattern"},
    {&small_font_texture, "small font"},
    {&panel_texture, "panel"},
    {&bar_texture, "bar"},
    {&cube_texture_c, "cube c"},
    {&cube_texture_a, "cube a"},
    {&cube_texture_b, "cube b"},
    {&page_font_texture, "page font"},
    {&scroller_font_texture, "scroller font"},
    {&final_picture_texture, "final picture"},
};

// Every slot gets a texture name of its own, so layers can be told apart by it.
void use_fake_slot_textures() {
    std::vector<TextureRecord*> records;
    for (const Slot& slot : slots) records.push_back(slot.record);
    use_fake_textures(records);
    panel_texture.width = static_cast<std::int32_t>(panel_width);
    panel_texture.height = static_cast<std::int32_t>(panel_height);
    scroller_font_texture.width = 688;
    scroller_font_texture.height = 428;
}

GLuint name_of(const TextureRecord& record) { return texture_name(record.index); }

std::string label_of(GLuint texture, const Colour& colour) {
    for (const Slot& slot : slots)
        if (texture != 0 && name_of(*slot.record) == texture) return slot.label;
    if (colour == Colour{1, 1, 1, 0.5f}) return "particles";
    if (colour == Colour{0, 0, 0, 1}) return "black bar";
    return "solid";
}

// One label per glBegin, runs of the same label collapsed: the layers in order.
std::vector<std::string> layers() {
    std::vector<std::string> out;
    GLuint texture = 0;
    Colour colour{1, 1, 1, 1};
    for (const auto& c : gl_recorder::state().calls) {
        if (c.op == Op::BindTexture) texture = static_cast<GLuint>(c.i[0]);
        if (c.op == Op::Color) colour = {c.f[0], c.f[1], c.f[2], c.f[3]};
        if (c.op != Op::Begin) continue;
        const std::string label = label_of(texture, colour);
        if (out.empty() || out.back() != label) out.push_back(label);
    }
    return out;
}

// Quads drawn with one texture (0 for solid ones), in order.
std::vector<gl_recorder::Quad> quads_with(GLuint texture) {
    std::vector<gl_recorder::Quad> out;
    for (const auto& q : gl_recorder::quads())
        if (q.v[0].texture == texture) out.push_back(q);
    return out;
}

// The colour in effect when the scroller font is bound.
Colour scroller_colour() {
    Colour colour{1, 1, 1, 1};
    for (const auto& c : gl_recorder::state().calls) {
        if (c.op == Op::Color) colour = {c.f[0], c.f[1], c.f[2], c.f[3]};
        if (c.op == Op::BindTexture && c.i[0] == name_of(scroller_font_texture)) return colour;
    }
    ADD_FAILURE() << "scroller font never bound";
    return colour;
}

// The field's translation: the last one before its colour is set.
float field_shift() {
    float y = 0;
    for (const auto& c : gl_recorder::state().calls) {
        if (c.op == Op::Translate) y = c.f[1];
        if (c.op == Op::Color && c.f[3] == 0.5f) return y;
    }
    ADD_FAILURE() << "no particle field";
    return y;
}

// The translation applied just before the scroller's scale.
std::array<float, 3> scroller_origin() {
    const auto& calls = gl_recorder::state().calls;
    for (std::size_t k = 1; k < calls.size(); ++k)
        if (calls[k].op == Op::Scale && calls[k].f[0] == 0.75f && calls[k - 1].op == Op::Translate)
            return {calls[k - 1].f[0], calls[k - 1].f[1], calls[k - 1].f[2]};
    ADD_FAILURE() << "no scroller transform";
    return {};
}

class Frame : public ::testing::Test {
protected:
    void SetUp() override {
        use_fake_slot_textures();
        reset_particle_field();
        seed_particle_random(3);
    }
    // One frame at `ms` on the clock.
    static void frame_at(std::int64_t ms) {
        set_clock_ms(ms);
        gl_recorder::reset();
        render_frame();
    }
};

// --- Layers --------------------------------------------------------------------

TEST_F(Frame, LayersAreDrawnBackToFront) {
    // Eight spawns away from the cube columns: the field draws plain squares only.
    for (unsigned seed = 1;; ++seed) {
        seed_particle_random(seed);
        bool cube_column = false;
        for (int k = 0; k < 8; ++k) cube_column |= next_particle_random() % particle_columns % 32 == 0;
        if (!cube_column) {
            seed_particle_random(seed);
            break;
        }
    }
    frame_at(110000);  // beat 220: picture fading in, no page
    const auto& calls = gl_recorder::state().calls;
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(gl_recorder::describe(calls[0]), "Clear " + std::to_string(GL_COLOR_BUFFER_BIT));
    EXPECT_EQ(gl_recorder::describe(calls[1]), "Clear " + std::to_string(GL_DEPTH_BUFFER_BIT));
    EXPECT_EQ(layers(), (std::vector<std::string>{"final picture", "particles", "black bar", "scroller font", "bar",
                                                  "panel", "bar", "cube c"}));

    frame_at(50000);  // beat 100: a page rests on screen, no picture
    const auto got = layers();
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(got.front(), "page font");
    EXPECT_EQ(std::count(got.begin(), got.end(), "final picture"), 0);
    EXPECT_EQ(got.back(), "cube c");
}

TEST_F(Frame, MatrixPushesAndPopsBalanceInEveryFrame) {
    for (std::int64_t ms = -3000; ms < 330000; ms += 1777) {
        frame_at(ms);
        ASSERT_EQ(gl_recorder::count(Op::PushMatrix), gl_recorder::count(Op::PopMatrix)) << ms;
        ASSERT_EQ(gl_recorder::state().modelview.size(), 1u) << ms;
        ASSERT_EQ(gl_recorder::state().bound_texture, 0u) << ms;
        ASSERT_EQ(gl_recorder::state().open_begin, -1) << ms;
    }
}

// --- Final picture -------------------------------------------------------------

TEST_F(Frame, FinalPictureStartsStrictlyAfterBeat216AndFadesOver8Beats) {
    const GLuint picture = name_of(final_picture_texture);
    frame_at(108000);
    EXPECT_TRUE(quads_with(picture).empty());

    frame_at(108001);
    auto drawn = quads_with(picture);
    ASSERT_EQ(drawn.size(), 1u);
    const float p = 1.0f / 4000.0f;
    EXPECT_EQ(drawn[0].v[0].color, (Colour{p, p, p, p}));
    EXPECT_EQ(drawn[0].min_x(), 16);
    EXPECT_EQ(drawn[0].max_x(), 767);
    EXPECT_EQ(drawn[0].min_y(), 0);
    EXPECT_EQ(drawn[0].max_y(), 704);
    // The colour goes back to opaque white after the picture.
    const auto colours = gl_recorder::calls_of(Op::Color);
    ASSERT_GE(colours.size(), 2u);
    EXPECT_EQ(colours[1].f[0] + colours[1].f[3], 2.0f);

    frame_at(112001);
    drawn = quads_with(picture);
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].v[0].color, (Colour{1, 1, 1, 1}));
}

// --- Entry envelope ------------------------------------------------------------

TEST_F(Frame, EntryEnvelopeSlidesBarBorderPanelAndFieldFromBeat8To16) {
    const GLuint bar = name_of(bar_texture);
    const GLuint panel = name_of(panel_texture);
    struct Case {
        std::int64_t ms;
        float entry;
    };
    for (const Case c : {Case{0, 0}, Case{4000, 0}, Case{4001, 1.0f / 4000}, Case{6000, 0.5f}, Case{8001, 1}}) {
        SCOPED_TRACE(c.ms);
        frame_at(c.ms);
        const auto bars = quads_with(bar);
        ASSERT_EQ(bars.size(), 2u);  // the left border, then the strip under the panel
        EXPECT_EQ(bars[0].min_x(), 0);
        EXPECT_FLOAT_EQ(bars[0].max_x(), 16 * c.entry);
        EXPECT_EQ(bars[0].max_y(), 768);
        const auto panels = quads_with(panel);
        ASSERT_EQ(panels.size(), 1u);
        EXPECT_FLOAT_EQ(panels[0].min_x(), 1024 - panel_width * c.entry);
        EXPECT_EQ(panels[0].max_y(), panel_height);
        EXPECT_FLOAT_EQ(bars[1].min_x(), panels[0].min_x());
        EXPECT_EQ(bars[1].min_y(), panel_height);
        EXPECT_EQ(bars[1].max_y(), 768);
        // The black bar is the one opaque black solid quad.
        int black = 0;
        for (const auto& q : quads_with(0)) {
            if (q.v[0].color != Colour{0, 0, 0, 1}) continue;
            ++black;
            EXPECT_FLOAT_EQ(q.min_y(), 768 - 64 * c.entry);
            EXPECT_EQ(q.min_x(), 16);
            EXPECT_EQ(q.max_x(), 767);
        }
        EXPECT_EQ(black, 1);
        EXPECT_FLOAT_EQ(field_shift(), -64 * c.entry);
        EXPECT_FLOAT_EQ(scroller_origin()[1], 768 - 56 * c.entry);
        if (c.ms <= 4000) {
            for (const auto& q : quads_with(name_of(scroller_font_texture))) EXPECT_GE(q.min_x(), 1024);
        }
    }
}

// --- Big cube --------------------------------------------------------------------

TEST_F(Frame, BigCubeTurnsAQuarterPerBeatInsideThePanel) {
    frame_at(18600);  // beat 37.2: 9.3 turns, 0.3 of a turn = 108 degrees
    const GLuint cube = name_of(cube_texture_c);
    const auto& calls = gl_recorder::state().calls;
    // The big cube is the last one drawn: placed, turned, then its texture bound.
    std::size_t bind = calls.size();
    for (std::size_t k = 0; k < calls.size(); ++k)
        if (calls[k].op == Op::BindTexture && calls[k].i[0] == cube) bind = k;
    ASSERT_LT(bind, calls.size());
    ASSERT_GE(bind, 3u);
    EXPECT_EQ(calls[bind - 3].op, Op::PushMatrix);
    EXPECT_EQ(gl_recorder::describe(calls[bind - 2]), "Translate 128 672 0");
    const auto& rotate = calls[bind - 1];
    ASSERT_EQ(rotate.op, Op::Rotate);
    EXPECT_NEAR(rotate.f[0], 108.0f, 1e-3f);
    EXPECT_EQ((std::array<float, 3>{rotate.f[1], rotate.f[2], rotate.f[3]}), (std::array<float, 3>{0.5f, 1, 0.5f}));

    const auto quads = quads_with(cube);
    ASSERT_GE(quads.size(), 6u);
    float sum_x = 0, sum_y = 0;
    for (std::size_t f = quads.size() - 6; f < quads.size(); ++f) {
        for (const auto& v : quads[f].v) {
            EXPECT_EQ(std::fabs(v.x), 48.0f);  // half-size 48 along every axis
            EXPECT_EQ(std::fabs(v.y), 48.0f);
            EXPECT_EQ(std::fabs(v.z), 48.0f);
            sum_x += v.cx;
            sum_y += v.cy;
        }
    }
    // Centred at (128, 672) in the panel, which rests at x = 1024 - 257.
    EXPECT_NEAR(sum_x / 24, 1024 - panel_width + 128, 1e-3f);
    EXPECT_NEAR(sum_y / 24, 672, 1e-3f);
}

// --- Scroller ------------------------------------------------------------------

TEST_F(Frame, ScrollerEntersAtTheRightEdgeAtBeat8AndReachesZeroAtBeat16) {
    const GLuint font = name_of(scroller_font_texture);
    frame_at(4000);
    EXPECT_EQ(scroller_origin()[0], 1024);
    frame_at(5000);  // beat 10: the first glyph is on screen, 48 units wide
    auto glyphs = quads_with(font);
    ASSERT_FALSE(glyphs.empty());
    EXPECT_FLOAT_EQ(glyphs[0].min_x(), 768);
    EXPECT_FLOAT_EQ(glyphs[0].max_x() - glyphs[0].min_x(), 48);
    frame_at(8000);
    glyphs = quads_with(font);
    ASSERT_FALSE(glyphs.empty());
    EXPECT_EQ(glyphs[0].min_x(), 0);
    EXPECT_EQ(glyphs[0].min_y(), 712);
    // Only the glyphs near the screen are drawn.
    EXPECT_LE(glyphs.size(), 30u);
    for (const auto& g : glyphs) EXPECT_LT(g.min_x(), 1200 * 0.75f);
}

TEST_F(Frame, ScrollerFlashesWhiteForTheFirstThirdOfBeat0ThenTakesThePalette) {
    int white = 0;
    for (int ms = 0; ms < 500; ++ms) {
        reset_particle_field();  // keeps each frame small
        frame_at(ms);
        const Colour c = scroller_colour();
        if (c == Colour{1, 1, 1, 1}) {
            ++white;
            EXPECT_LT(ms, 180);
            continue;
        }
        const PaletteColor& p = cycle_palette[static_cast<int>(timing_beats * 16) % palette_size];
        EXPECT_EQ(c, (Colour{p.r / 255.0f, p.g / 255.0f, p.b / 255.0f, 1})) << ms;
    }
    EXPECT_NEAR(white / 500.0, 0.354, 0.01);
}

TEST(ScrollText, OneLineOfGlyphsTheScrollerFontDrawsRunningEmptyAtBeat628) {
    const std::string text = scroll_text;
    // Letters, digits, space and the punctuation the font has cells for; anything
    // else would scroll past as a blank cell.
    const std::string punctuation = "!(),.:?*";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        EXPECT_TRUE(std::isalnum(c) || c == ' ' || punctuation.find(static_cast<char>(c)) != std::string::npos)
            << "character " << i << " is '" << text[i] << "'";
    }
    EXPECT_EQ(text.size(), 1632u);
    EXPECT_EQ(16 + text.size() * 48 / 128.0, 628.0);
}

}  // namespace
