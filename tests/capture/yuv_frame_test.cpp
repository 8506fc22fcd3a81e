// Frames for a video: BT.709 limited-range 4:2:0, top row first, odd sides
// padded with black. The reference values are BT.709's own for the primaries.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "yuv_frame.h"

namespace {

struct Rgb {
    std::uint8_t r, g, b;
};

// A width x height frame of one colour, as OpenGL reads it (RGBA).
std::vector<std::uint8_t> flat_frame(int width, int height, Rgb c) {
    std::vector<std::uint8_t> pixels;
    for (int i = 0; i < width * height; ++i) pixels.insert(pixels.end(), {c.r, c.g, c.b, 7});
    return pixels;
}

struct Ycc {
    int y, cb, cr;
};

Ycc converted(Rgb c) {
    const auto pixels = flat_frame(4, 4, c);
    std::vector<std::uint8_t> yuv(yuv420_bytes(4, 4));
    pack_yuv420_bt709(pixels.data(), 4, 4, yuv.data());
    return {yuv[0], yuv[16], yuv[20]};
}

TEST(YuvFrame, PrimariesTakeTheirBt709LimitedRangeValues) {
    const struct {
        Rgb rgb;
        Ycc want;
    } cases[] = {
        {{0, 0, 0}, {16, 128, 128}},     {{255, 255, 255}, {235, 128, 128}}, {{255, 0, 0}, {63, 102, 240}},
        {{0, 255, 0}, {173, 42, 26}},    {{0, 0, 255}, {32, 240, 118}},      {{128, 128, 128}, {126, 128, 128}},
        {{14, 57, 102}, {60, 152, 107}},  // the panel's blue
    };
    for (const auto& c : cases) {
        const Ycc got = converted(c.rgb);
        EXPECT_EQ(got.y, c.want.y) << int(c.rgb.r) << "," << int(c.rgb.g) << "," << int(c.rgb.b);
        EXPECT_EQ(got.cb, c.want.cb) << int(c.rgb.r) << "," << int(c.rgb.g) << "," << int(c.rgb.b);
        EXPECT_EQ(got.cr, c.want.cr) << int(c.rgb.r) << "," << int(c.rgb.g) << "," << int(c.rgb.b);
    }
}

TEST(YuvFrame, RowsTurnTopFirstAndChromaIsTheMeanOfItsBlock) {
    // 4 x 2, bottom row first: the bottom row black, the top row white except
    // its third pixel, red.
    std::vector<std::uint8_t> gl_rows = flat_frame(4, 2, {0, 0, 0});
    for (int x = 0; x < 4; ++x) {
        std::uint8_t* p = &gl_rows[(4 + x) * 4];
        p[0] = 255;
        p[1] = x == 2 ? 0 : 255;
        p[2] = x == 2 ? 0 : 255;
    }
    std::vector<std::uint8_t> yuv(yuv420_bytes(4, 2));
    pack_yuv420_bt709(gl_rows.data(), 4, 2, yuv.data());
    EXPECT_EQ(yuv[0], 235);  // top row first
    EXPECT_EQ(yuv[2], 63);
    EXPECT_EQ(yuv[4], 16);
    // Block 0 (columns 0 and 1) is grey: white over black. Block 1 holds the red.
    EXPECT_EQ(yuv[8 + 2], 128);
    EXPECT_EQ(yuv[8 + 2 + 1], 128 + (240 - 128) / 4);
}

TEST(YuvFrame, OddSidesArePaddedWithBlack) {
    EXPECT_EQ(even_side(5), 6);
    EXPECT_EQ(even_side(6), 6);
    EXPECT_EQ(yuv420_bytes(5, 3), 6u * 4u * 3u / 2u);
    const auto pixels = flat_frame(5, 3, {255, 255, 255});
    std::vector<std::uint8_t> yuv(yuv420_bytes(5, 3), 0xAB);
    pack_yuv420_bt709(pixels.data(), 5, 3, yuv.data());
    EXPECT_EQ(yuv[4], 235);         // last real column
    EXPECT_EQ(yuv[5], 16);          // the padding column
    EXPECT_EQ(yuv[3 * 6 + 0], 16);  // the padding row
    for (std::uint8_t v : yuv) EXPECT_NE(v, 0xAB) << "every byte is written";
}

}  // namespace
