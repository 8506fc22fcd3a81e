// The ten embedded images as the show loads them: slots, filters, the binding
// left behind, and every uploaded texel against the stored file.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "asset_rules.h"
#include "assets/asset_table.h"
#include "gl_recorder.h"
#include "test_image.h"

namespace {

struct Expected {
    const TextureRecord* slot;
    const char* file;
    int width, height;
};
const Expected expected[] = {
    {&test_pattern_texture, "test_pattern.png", 256, 256},
    {&small_font_texture, "small_font.png", 320, 192},
    {&panel_texture, "panel.png", 257, 600},
    {&bar_texture, "bar.png", 1, 1},
    {&cube_texture_c, "cube_c.png", 256, 256},
    {&cube_texture_a, "cube_a.png", 256, 256},
    {&cube_texture_b, "cube_b.png", 256, 256},
    {&page_font_texture, "page_font.png", 480, 288},
    {&scroller_font_texture, "scroller_font.png", 688, 428},
    {&final_picture_texture, "final_picture.png", 1024, 768},
};

class EmbeddedTextures : public ::testing::Test {
protected:
    void SetUp() override {
        gl_recorder::reset();
        base = static_cast<int>(texture_registry.texture_names.size());  // 0 in a fresh process
        load_embedded_textures();
    }
    const gl_recorder::Texture& texture(int i) {
        return gl_recorder::state().textures[texture_registry.texture_names[base + i]];
    }
    int base = 0;
};

TEST_F(EmbeddedTextures, SlotsHoldSizeAndLoadPositionFiltersAndTextureZeroIsLeftBound) {
    ASSERT_EQ(texture_registry.texture_names.size(), static_cast<std::size_t>(base + 10));
    for (int i = 0; i < 10; ++i) {
        SCOPED_TRACE(expected[i].file);
        EXPECT_EQ(expected[i].slot->width, expected[i].width);
        EXPECT_EQ(expected[i].slot->height, expected[i].height);
        EXPECT_EQ(expected[i].slot->index, base + i);
        const GLint filter = i == 3 ? GL_NEAREST : GL_LINEAR;  // only the 1 × 1 bar is small
        EXPECT_EQ(texture(i).parameters.at(GL_TEXTURE_MAG_FILTER), filter);
        EXPECT_EQ(texture(i).parameters.at(GL_TEXTURE_MIN_FILTER), filter);
    }
    const auto binds = gl_recorder::calls_of(gl_recorder::Op::BindTexture);
    ASSERT_FALSE(binds.empty());
    EXPECT_EQ(binds.back().i[0], 0);
    EXPECT_EQ(gl_recorder::state().bound_texture, 0u);
}

// Each texel shows source pixel ((x × W) div W2, (y × H) div H2) of the file as
// libpng decodes it without gamma, so colour-keyed, gamma-tagged and alpha images
// all arrive exactly as stored.
TEST_F(EmbeddedTextures, EveryTexelIsTheStoredPixelUnchanged) {
    for (int i = 0; i < 10; ++i) {
        SCOPED_TRACE(expected[i].file);
        RgbaImage source;
        ASSERT_TRUE(read_image(std::string(ASSET_DATA_DIR) + "/" + expected[i].file, source));
        const gl_recorder::Texture& t = texture(i);
        ASSERT_EQ(t.pixels.size(), static_cast<std::size_t>(t.width) * t.height * 4);
        const RgbaImage uploaded{t.width, t.height, t.pixels};
        int mismatches = 0;
        for (int y = 0; y < t.height; ++y)
            for (int x = 0; x < t.width; ++x) {
                const Pixel got = uploaded.at(x, y);
                const Pixel want = source.at(x * source.width / t.width, y * source.height / t.height);
                mismatches += !(got.a == want.a && (want.a == 0 || rgb_equal(got, want)));
            }
        EXPECT_EQ(mismatches, 0);
    }
}

TEST_F(EmbeddedTextures, ScrollerKeyIsTransparentAndBarMatchesThePanelEdge) {
    const gl_recorder::Texture& scroller = texture(8);
    int transparent = 0, opaque = 0;
    for (std::size_t p = 3; p < scroller.pixels.size(); p += 4) {
        transparent += scroller.pixels[p] == 0;
        opaque += scroller.pixels[p] == 255;
    }
    EXPECT_GT(transparent, 0);
    EXPECT_GT(opaque, 0);
    EXPECT_EQ(transparent + opaque, static_cast<int>(scroller.pixels.size() / 4));

    // bar.png carries gAMA, cHRM and sRGB; the panel carries none of them.
    const std::uint8_t* bar = texture(3).pixels.data();
    const gl_recorder::Texture& panel = texture(2);
    for (int y = 0; y < panel.height; y += 97)
        for (int x : {0, panel.width - 1}) {
            const std::uint8_t* edge = &panel.pixels[(static_cast<std::size_t>(y) * panel.width + x) * 4];
            EXPECT_EQ(std::vector<int>(bar, bar + 4), std::vector<int>(edge, edge + 4)) << x << "," << y;
        }
    EXPECT_EQ(std::vector<int>(bar, bar + 4), (std::vector<int>{14, 57, 102, 255}));
}

TEST_F(EmbeddedTextures, PageFontCellsHoldExactlyTheGlyphSet) {
    const gl_recorder::Texture& t = texture(7);
    std::vector<int> visible(atlas_columns * atlas_rows, 0);
    for (int y = 0; y < t.height; ++y)
        for (int x = 0; x < t.width; ++x) {
            const int sx = x * page_font_texture.width / t.width, sy = y * page_font_texture.height / t.height;
            visible[(sy / page_font_cell) * atlas_columns + sx / page_font_cell] +=
                t.pixels[(static_cast<std::size_t>(y) * t.width + x) * 4 + 3] != 0;
        }
    // "A" is cell 33: column 3, row 3, source pixels 144 to 191 both ways.
    EXPECT_GT(visible[33], 0);
    for (int k = 0; k < atlas_columns * atlas_rows; ++k) {
        const bool in_set = std::strchr(page_font_glyphs, atlas_first_code + k) != nullptr;
        EXPECT_EQ(visible[k] > 0, in_set) << "cell " << k;
    }
}

TEST(EmbeddedImageFailure, UndecodableImageEndsWithOneLineNamingIt) {
    const unsigned char garbage[] = "not a picture at all";
    EXPECT_EXIT(load_embedded_image("broken.png", garbage, sizeof garbage), ::testing::ExitedWithCode(1),
                "^embedded image broken\\.png: [^\n]*\n$");
    // A PNG cut short does not decode either (the PNG library may add its own
    // diagnostic before our line).
    std::vector<unsigned char> head(64);
    std::FILE* f = std::fopen(ASSET_DATA_DIR "/panel.png", "rb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(std::fread(head.data(), 1, head.size(), f), head.size());
    std::fclose(f);
    EXPECT_EXIT(load_embedded_image("panel.png", head.data(), head.size()), ::testing::ExitedWithCode(1),
                "embedded image panel\\.png: [^\n]+\n$");
}

}  // namespace
