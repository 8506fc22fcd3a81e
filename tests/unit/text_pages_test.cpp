// The text pages over the recording GL: windows, slides, the one-page-at-a-time
// rule, and the shapes of the ten texts.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "assets/asset_table.h"
#include "fake_textures.h"
#include "gl_recorder.h"
#include "render/page_texts.h"
#include "render/text_pages.h"
#include "show_clock.h"

namespace {

using gl_recorder::Op;

// Puts a fake 480 x 288 page font into its slot; returns its name.
GLuint use_fake_page_font() {
    static const TextureRecord font = add_fake_texture(480, 288);
    page_font_texture = font;
    return texture_name(font.index);
}

void set_clock(std::int32_t ms) {
    set_clock_ms(ms);
    gl_recorder::reset();
}

// The vertices of every page drawn at `ms`.
std::vector<gl_recorder::Vertex> pages_at(std::int32_t ms) {
    use_fake_page_font();
    set_clock(ms);
    draw_text_pages();
    EXPECT_EQ(gl_recorder::state().modelview.size(), 1u) << "matrix left pushed at " << ms;
    return gl_recorder::state().vertices;
}

// Checks that exactly page `page` (1-based) is drawn at `ms`, `offset` units below rest.
void expect_page(std::int32_t ms, int page, float offset) {
    const auto all = pages_at(ms);
    EXPECT_EQ(gl_recorder::count(Op::Begin), 1) << ms;
    set_clock(ms);
    draw_text_page(page_schedule[page - 1].text, page_schedule[page - 1].start_beat);
    const auto& alone = gl_recorder::state().vertices;
    ASSERT_EQ(all.size(), alone.size()) << "page " << page << " at " << ms;
    ASSERT_FALSE(alone.empty());
    for (std::size_t k = 0; k < all.size(); ++k) EXPECT_EQ(all[k].cy, alone[k].cy);
    // The text origin sits at (32, 144) plus the slide.
    EXPECT_NEAR(alone[0].cx - alone[0].x, 32.0f, 1e-4f) << ms;
    EXPECT_NEAR(alone[0].cy - alone[0].y - 144.0f, offset, 1e-3f) << ms;
}

TEST(TextPages, WindowsSlidesAndHandOver) {
    EXPECT_TRUE(pages_at(8000).empty());
    EXPECT_TRUE(gl_recorder::state().calls.empty());  // not even a state change
    expect_page(8001, 1, -767.616f);
    expect_page(10000, 1, 0.0f);
    expect_page(16000, 1, 0.0f);
    expect_page(16001, 1, 0.384f);
    expect_page(18000, 1, 768.0f);
    expect_page(18001, 2, -767.616f);
    expect_page(108000, 10, 768.0f);
    EXPECT_TRUE(pages_at(108001).empty());
    EXPECT_TRUE(gl_recorder::state().calls.empty());
}

TEST(TextPages, EmptyPageStillSavesSlidesAndRestores) {
    const GLuint font = use_fake_page_font();
    set_clock(8001);
    draw_text_page("", 16.0f);
    EXPECT_EQ(gl_recorder::trace(),
              (std::vector<std::string>{"PushMatrix", "Translate 0 -767.616 0", "PushMatrix", "Translate 32 144 0",
                                        "BindTexture " + std::to_string(font), "Begin QUADS", "End", "BindTexture 0",
                                        "PopMatrix", "PopMatrix"}));
}

TEST(TextPages, AtMostOnePageInAnyMillisecond) {
    // The windows alone decide what is drawn, so the schedule's pages are swept with
    // empty texts: one batch per page drawn, and no glyphs to record.
    use_fake_page_font();
    int first = -1, last = -1;
    for (std::int32_t ms = 0; ms <= 110000; ++ms) {
        set_clock_ms(ms);
        gl_recorder::state().calls.clear();
        for (const TextPage& page : page_schedule) draw_text_page("", page.start_beat);
        const int pages = gl_recorder::count(Op::Begin);
        ASSERT_LE(pages, 1) << ms;
        if (pages == 1) {
            if (first < 0) first = last = ms;
            ASSERT_EQ(last, ms - 1 + (ms == first)) << "gap before " << ms;
            last = ms;
        }
    }
    EXPECT_EQ(first, 8001);
    EXPECT_EQ(last, 108000);
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines(1);
    for (char c : text) {
        if (c == '\n') lines.emplace_back();
        else
            lines.back().push_back(c);
    }
    return lines;
}

TEST(PageTexts, EveryPageMeetsItsScheduleRow) {
    const std::size_t chars[page_count] = {68, 28, 123, 148, 103, 80, 90, 101, 63, 131};
    const long newlines[page_count] = {6, 5, 11, 10, 11, 10, 10, 10, 10, 11};
    for (int p = 0; p < page_count; ++p) {
        const std::string text = page_schedule[p].text;
        EXPECT_EQ(page_schedule[p].start_beat, 16.0f + 20.0f * p);
        EXPECT_EQ(text.size(), chars[p]) << "page " << p + 1;
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), newlines[p]) << "page " << p + 1;
        const auto lines = lines_of(text);
        for (std::size_t l = 0; l < lines.size(); ++l) {
            const std::string& line = lines[l];
            const auto visible_end = line.find_last_not_of(' ');
            if (visible_end == std::string::npos) continue;
            EXPECT_LT(visible_end, 15u) << "page " << p + 1 << " line " << l + 1;
            EXPECT_LT(l, 9u) << "page " << p + 1 << " line " << l + 1;
            for (unsigned char c : line)
                EXPECT_TRUE((c >= 32 && c <= 90) || (c >= 97 && c <= 122)) << "page " << p + 1 << " byte " << int(c);
        }
    }
    EXPECT_EQ(std::string(page_schedule[4].text),
              "The final party\n of the year\n\nwith space for\n up to 250 ppl\n"
              "in a friendly\n   and cozy \n  atmosphere\n\n\n\n");
    EXPECT_EQ(std::string(page_schedule[5].text),
              "\nbig big screen\nand loud audio\nsetup combined\nwith a sweeeeet\nparty network\n\n\n\n\n");
    EXPECT_EQ(std::string(page_schedule[6].text),
              "\n  food support\n with free tea\n  and coffee.\n featuring the\nultimate  pizza\n     waves\n\n\n\n");
    EXPECT_EQ(std::string(page_schedule[7].text),
              " competitions:\n4k, 64k, 4k exe\ngfx, oldskool,\n  game, wild, \n"
              "     demo \n\n and many more \n     ....\n\n\n");
}

TEST(PageTexts, WrittenPagesFollowTheirLayouts) {
    auto lines = [](int page) { return lines_of(page_schedule[page - 1].text); };
    using Lines = std::vector<std::string>;
    const std::string blank21(21, ' ');
    const auto p1 = lines(1), p2 = lines(2), p3 = lines(3), p4 = lines(4), p9 = lines(9), p10 = lines(10);
    EXPECT_EQ(Lines(p1.begin() + 2, p1.begin() + 5), (Lines{"", "      and", ""}));
    EXPECT_NE(p1.back(), "");  // no newline at the end
    EXPECT_EQ(p2, (Lines{"", "", "      for", "", "Brinewave 2007", ""}));
    EXPECT_EQ(Lines(p3.begin() + 4, p3.begin() + 7), (Lines{"    Oldskool", "   Invitation ", "     Intro "}));
    EXPECT_EQ(Lines(p3.end() - 3, p3.end()), (Lines{blank21, blank21, ""}));
    for (int l : {2, 6, 8}) EXPECT_EQ(p4[l], "     ");
    EXPECT_EQ((Lines{p4[0], p4[3], p4[4].substr(p4[4].size() - 2), p4[9], p4[10]}),
              (Lines{"     from     ", "      In      ", " /", blank21, ""}));
    EXPECT_EQ(Lines(p9.begin(), p9.begin() + 4), (Lines{"", " website soon", "       at", " "}));
    EXPECT_EQ(Lines(p9.end() - 4, p9.end()), Lines(4, ""));
    // Credits: eight lines of 15, handle flush right, role word opening each group.
    const std::string roles[8] = {"code", "gfx", " ", "sfx", "txt", " ", " ", " "};
    for (int l = 0; l < 8; ++l) {
        const std::string& line = p10[l + 1];
        EXPECT_EQ(line.size(), 15u) << line;
        EXPECT_NE(line.back(), ' ') << line;
        EXPECT_EQ(line.substr(0, roles[l].size()), roles[l]) << line;
    }
}

}  // namespace
