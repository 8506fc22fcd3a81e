// The generator is the source of the committed images: drawing the set today
// gives the same decoded pixels and the same chunks as the files in the tree.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

#include "icon.h"
#include "image_set.h"
#include "png_io.h"
#include "test_image.h"

namespace fs = std::filesystem;

TEST(ImageGenerator, CommittedImagesAreWhatTheGeneratorDrawsToday) {
    char pattern[] = "/tmp/generated_images_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string folder = pattern;
    std::string error;
    ASSERT_TRUE(write_image_set(folder, error)) << error;
    for (const GeneratedImage& g : generated_images) {
        SCOPED_TRACE(g.file);
        const std::string committed = std::string(ASSET_DATA_DIR) + "/" + g.file, fresh = folder + "/" + g.file;
        PngLayout a, b;
        ASSERT_TRUE(read_png_layout(committed, a, error)) << error;
        ASSERT_TRUE(read_png_layout(fresh, b, error)) << error;
        EXPECT_EQ(std::set<std::string>(a.chunks.begin(), a.chunks.end()),
                  std::set<std::string>(b.chunks.begin(), b.chunks.end()));
        EXPECT_EQ(std::make_tuple(a.width, a.height, a.bit_depth, a.colour_type, a.interlace),
                  std::make_tuple(b.width, b.height, b.bit_depth, b.colour_type, b.interlace));
        EXPECT_EQ(a.palette, b.palette);
        EXPECT_EQ(a.transparency, b.transparency);
        RgbaImage was, is;
        ASSERT_TRUE(read_image(committed, was));
        ASSERT_TRUE(read_image(fresh, is));
        EXPECT_TRUE(was.rgba == is.rgba) << "decoded pixels differ; run `make assets` and commit the images";
    }
    fs::remove_all(folder);
}

TEST(ImageGenerator, CommittedIconsAreWhatTheGeneratorDrawsToday) {
    char pattern[] = "/tmp/generated_icons_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string folder = pattern;
    std::string error;
    ASSERT_TRUE(write_icon_set(folder, error)) << error;
    for (int size : icon_sizes) {
        SCOPED_TRACE(size);
        const std::string committed = std::string(ICON_DIR) + "/" + icon_file(size),
                          fresh = folder + "/" + icon_file(size);
        int w1, h1, w2, h2;
        std::vector<std::uint8_t> p1, p2;
        ASSERT_TRUE(read_png_rgba(committed, w1, h1, p1, error)) << error;
        ASSERT_TRUE(read_png_rgba(fresh, w2, h2, p2, error)) << error;
        EXPECT_EQ(std::make_pair(w1, h1), std::make_pair(size, size));
        EXPECT_TRUE(p1 == p2) << "decoded pixels differ; run `make assets` and commit the icons";
        // Corners are see-through, the middle is opaque.
        EXPECT_LT(p1[3], 64);
        EXPECT_EQ(p1[(static_cast<std::size_t>(size / 2) * size + size / 2) * 4 + 3], 255);
    }
    fs::remove_all(folder);
}
