// The ten pages at rest on real OpenGL with the embedded page font: glyph pixels
// stay inside the page's box, left of the panel, and come out in palette colours.
#include <gtest/gtest.h>

#include <SDL_opengl.h>

#include <algorithm>
#include <filesystem>

#include "assets/asset_table.h"
#include "offscreen_gl.h"
#include "render/page_texts.h"
#include "render/text_pages.h"
#include "runtime/beat_clock.h"
#include "show_clock.h"

namespace {

TEST(TextPageGl, PagesAtRestStayInsideTheirBoxAndAreColoured) {
    std::string error;
    ASSERT_TRUE(open_offscreen_canvas(1024, 768, &error)) << error;
    ASSERT_EQ(page_font_texture.width, 480) << "page font not embedded";
    ASSERT_EQ(page_font_texture.height, 288);

    for (int page = 0; page < page_count; ++page) {
        // Halfway through the rest, on an even beat, where the ring displaces nothing.
        const std::int32_t ms = beats_to_ms(page_schedule[page].start_beat) + 5000;
        set_clock_ms(ms);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        draw_text_pages();
        glColor4f(1, 1, 1, 1);

        const RgbaImage canvas = read_canvas();
        int lit = 0, coloured = 0, outside = 0;
        for (int y = 0; y < 768; ++y)
            for (int x = 0; x < 1024; ++x) {
                const Pixel p = canvas.at(x, y);
                const int high = std::max({p.r, p.g, p.b}), low = std::min({p.r, p.g, p.b});
                if (high < 16) continue;
                ++lit;
                coloured += high - low > 64;
                outside += x < 32 || x >= 752 || y < 144 || y >= 576;
            }
        EXPECT_EQ(outside, 0) << "page " << page + 1;
        EXPECT_GT(lit, 1000) << "page " << page + 1;
        EXPECT_GT(coloured, lit / 4) << "page " << page + 1;

        if (page == 4) {
            std::filesystem::create_directories(TEST_OUTPUT_DIR);
            EXPECT_TRUE(save_canvas_png(std::string(TEST_OUTPUT_DIR) + "/page_at_rest.png"));
        }
    }
}

}  // namespace
