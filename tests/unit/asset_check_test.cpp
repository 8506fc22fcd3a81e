// The asset check: the committed images pass, and each kind of broken
// replacement is rejected with the line that names the file, the property, what
// was expected and what was found.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "asset_rules.h"
#include "image_set.h"
#include "png_io.h"

namespace fs = std::filesystem;

namespace {

class AssetCheck : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/asset_check_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        folder = pattern;
        for (const AssetImage& a : asset_images)
            fs::copy_file(fs::path(ASSET_DATA_DIR) / a.file, fs::path(folder) / a.file);
    }
    void TearDown() override { fs::remove_all(folder); }

    void replace(const char* file, const PngImage& image) {
        std::string error;
        ASSERT_TRUE(write_png(folder + "/" + file, image, error)) << error;
    }
    // Passes when some failure line starts with `line`.
    ::testing::AssertionResult rejected_with(const std::string& line) {
        const std::vector<std::string> failures = check_asset_folder(folder);
        for (const std::string& f : failures)
            if (f.rfind(line, 0) == 0) return ::testing::AssertionSuccess();
        auto result = ::testing::AssertionFailure() << "no line starting \"" << line << "\" among:";
        for (const std::string& f : failures) result << "\n  " << f;
        return result;
    }
    std::string folder;
};

TEST_F(AssetCheck, CommittedImagesPass) {
    const std::vector<std::string> failures = check_asset_folder(folder);
    EXPECT_TRUE(failures.empty()) << failures.front();
}

TEST_F(AssetCheck, RejectsWrongSizeColourTypeAndInterlacing) {
    PngImage narrow = draw_panel();  // one column short
    PngImage cropped = narrow;
    cropped.width = panel_width - 1;
    cropped.samples.clear();
    for (int y = 0; y < narrow.height; ++y)
        cropped.samples.insert(cropped.samples.end(), narrow.samples.begin() + y * panel_width * 3,
                               narrow.samples.begin() + (y * panel_width + cropped.width) * 3);
    replace("panel.png", cropped);
    EXPECT_TRUE(rejected_with("panel.png: size: expected 257x600, found 256x600"));

    PngImage with_alpha = draw_cube_a();
    with_alpha.interlaced = true;
    replace("cube_a.png", with_alpha);
    EXPECT_TRUE(rejected_with("cube_a.png: interlace: expected none, found Adam7"));

    PngImage picture;  // truecolour with alpha where truecolour belongs
    picture.width = final_picture_width;
    picture.height = final_picture_height;
    picture.colour_type = png_truecolour_alpha;
    picture.samples.assign(final_picture_width * final_picture_height * 4, 255);
    replace("final_picture.png", picture);
    EXPECT_TRUE(rejected_with("final_picture.png: colour type: expected 2, found 6"));
}

TEST_F(AssetCheck, RejectsAGlyphInACellThatMustStayEmpty) {
    PngImage font = draw_page_font();
    // Copy the "A" (cell 33, pixels 144 to 191) into cell 2, the double quote.
    const int row = atlas_columns * page_font_cell;
    for (int y = 0; y < page_font_cell; ++y)
        std::copy_n(font.samples.begin() + ((144 + y) * row + 144) * 4, page_font_cell * 4,
                    font.samples.begin() + (y * row + 2 * page_font_cell) * 4);
    replace("page_font.png", font);
    EXPECT_TRUE(rejected_with("page_font.png: cell 2 ('\"'): expected an empty cell, found "));
}

TEST_F(AssetCheck, RejectsABarThatDiffersFromThePanelEdge) {
    PngImage bar = draw_bar();
    bar.palette[0] = {14, 57, 103};
    replace("bar.png", bar);
    EXPECT_TRUE(rejected_with("bar.png: colour: expected the panel's edge colour (14,57,102), found (14,57,103)"));
}

TEST_F(AssetCheck, RejectsAScrollerPaletteWithASecondTransparentEntry) {
    PngImage font = draw_scroller_font();
    font.palette_alpha[0] = 0;
    replace("scroller_font.png", font);
    EXPECT_TRUE(rejected_with(
        "scroller_font.png: fully transparent palette entries: expected exactly entry 255, found entries 0 255"));
}

TEST_F(AssetCheck, RejectsAWrongCubeAlphaAndAMissingFile) {
    PngImage cube = draw_cube_b();
    for (std::size_t p = 3; p < cube.samples.size(); p += 4)
        if (cube.samples[p] == 109) cube.samples[p] = 110;
    replace("cube_b.png", cube);
    EXPECT_TRUE(rejected_with(
        "cube_b.png: top and bottom triangles: expected (0,254,32) alpha 109, found (0,254,32) alpha 110"));

    fs::remove(fs::path(folder) / "small_font.png");
    EXPECT_TRUE(rejected_with("small_font.png: file: expected a readable PNG, found " + folder +
                              "/small_font.png: cannot open"));
}

}  // namespace
