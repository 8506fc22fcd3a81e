// The icon writer and the code page 437 texts: the bytes Windows and the text
// viewers read, and the refusals that keep a broken icon or text out of a release.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cp437_text.h"
#include "ico_file.h"

namespace {

std::uint32_t u32_at(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}
std::uint16_t u16_at(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

// A picture whose pixel (x, y) is (x, y, 7, alpha): transparent in the left column.
IcoPicture picture(int size) {
    IcoPicture p;
    p.size = size;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const std::uint8_t px[4] = {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 7,
                                        static_cast<std::uint8_t>(x == 0 ? 0 : 255)};
            p.rgba.insert(p.rgba.end(), px, px + 4);
        }
    return p;
}

IcoPicture png_picture() {
    IcoPicture p;
    p.size = 256;
    p.png = {0x89, 'P', 'N', 'G', 1, 2, 3};
    return p;
}

TEST(IcoFile, DirectoryListsEachPictureWhereItLies) {
    std::vector<std::uint8_t> ico;
    std::string error;
    ASSERT_TRUE(make_ico({picture(16), picture(48), png_picture()}, ico, error)) << error;
    EXPECT_EQ(u16_at(ico, 0), 0);
    EXPECT_EQ(u16_at(ico, 2), 1);  // an icon
    ASSERT_EQ(u16_at(ico, 4), 3);
    std::size_t expected_offset = 6 + 3 * 16;
    const int sides[] = {16, 48, 0};  // 256 is written as 0
    for (int i = 0; i < 3; ++i) {
        const std::size_t entry = 6 + 16 * static_cast<std::size_t>(i);
        EXPECT_EQ(ico[entry], sides[i]);
        EXPECT_EQ(ico[entry + 1], sides[i]);
        EXPECT_EQ(u16_at(ico, entry + 4), 1);   // planes
        EXPECT_EQ(u16_at(ico, entry + 6), 32);  // bits per pixel
        EXPECT_EQ(u32_at(ico, entry + 12), expected_offset) << "picture " << i;
        expected_offset += u32_at(ico, entry + 8);
    }
    EXPECT_EQ(expected_offset, ico.size());
}

TEST(IcoFile, BitmapRowsRunBottomUpInBgraWithTheMaskAfter) {
    std::vector<std::uint8_t> ico;
    std::string error;
    ASSERT_TRUE(make_ico({picture(48)}, ico, error)) << error;
    const std::size_t at = u32_at(ico, 6 + 12);
    EXPECT_EQ(u32_at(ico, at), 40u);      // BITMAPINFOHEADER
    EXPECT_EQ(u32_at(ico, at + 4), 48u);  // width
    EXPECT_EQ(u32_at(ico, at + 8), 96u);  // colour rows and mask rows
    EXPECT_EQ(u16_at(ico, at + 14), 32);
    EXPECT_EQ(u32_at(ico, at + 16), 0u);  // BI_RGB
    const std::size_t mask_row = 8;       // 48 bits padded to 64
    EXPECT_EQ(u32_at(ico, at + 20), 48u * 48 * 4 + mask_row * 48);
    EXPECT_EQ(u32_at(ico, 6 + 8), 40 + 48u * 48 * 4 + mask_row * 48);
    // The first stored row is the picture's bottom row (y = 47).
    const std::size_t pixels = at + 40;
    const std::size_t x = 5;
    EXPECT_EQ(ico[pixels + x * 4 + 0], 7);    // blue
    EXPECT_EQ(ico[pixels + x * 4 + 1], 47);   // green: y
    EXPECT_EQ(ico[pixels + x * 4 + 2], 5);    // red: x
    EXPECT_EQ(ico[pixels + x * 4 + 3], 255);  // alpha
    const std::size_t top_row = pixels + 47 * 48 * 4;
    EXPECT_EQ(ico[top_row + x * 4 + 1], 0);
    // The mask marks the transparent left column, and only it, in every row.
    const std::size_t mask = pixels + 48 * 48 * 4;
    for (std::size_t row = 0; row < 48; ++row) {
        EXPECT_EQ(ico[mask + row * mask_row], 0x80) << "row " << row;
        for (std::size_t b = 1; b < mask_row; ++b) EXPECT_EQ(ico[mask + row * mask_row + b], 0) << "row " << row;
    }
}

TEST(IcoFile, LargestPictureIsThePngItself) {
    std::vector<std::uint8_t> ico;
    std::string error;
    const IcoPicture png = png_picture();
    ASSERT_TRUE(make_ico({picture(16), png}, ico, error)) << error;
    const std::size_t entry = 6 + 16;
    ASSERT_EQ(u32_at(ico, entry + 8), png.png.size());
    const std::size_t at = u32_at(ico, entry + 12);
    EXPECT_EQ(std::vector<std::uint8_t>(ico.begin() + static_cast<long>(at), ico.end()), png.png);
}

TEST(IcoFile, RefusesSetsWindowsCouldNotRead) {
    std::vector<std::uint8_t> ico;
    std::string error;
    EXPECT_FALSE(make_ico({}, ico, error));
    EXPECT_FALSE(make_ico({picture(16), picture(16)}, ico, error));
    EXPECT_NE(error.find("twice"), std::string::npos) << error;
    IcoPicture huge = png_picture();
    huge.size = 512;
    EXPECT_FALSE(make_ico({huge}, ico, error));
    IcoPicture short_pixels = picture(32);
    short_pixels.rgba.pop_back();
    EXPECT_FALSE(make_ico({short_pixels}, ico, error));
    IcoPicture no_png = png_picture();
    no_png.png.clear();
    EXPECT_FALSE(make_ico({no_png}, ico, error));
    EXPECT_TRUE(ico.empty());
}

std::string encoded(const std::string& utf8, TextLimits limits = {}) {
    std::vector<std::uint8_t> out;
    std::string error;
    if (!encode_cp437(utf8, limits, out, error)) return "error: " + error;
    return std::string(out.begin(), out.end());
}

TEST(Cp437Text, BlocksAndBoxesBecomeTheirCodePageBytes) {
    EXPECT_EQ(encoded("█▄▀░▒▓"), "\xDB\xDC\xDF\xB0\xB1\xB2\r\n");
    EXPECT_EQ(encoded("┌─│└·"), "\xDA\xC4\xB3\xC0\xFA\r\n");
    EXPECT_EQ(encoded("Ç ü"), "\x80 \x81\r\n");
}

TEST(Cp437Text, EveryByteOfTheCodePageComesBackFromItsCharacter) {
    for (int byte = 0x20; byte <= 0xFF; ++byte) {
        if (byte == 0x7F) continue;  // DEL is a control character in text
        const std::uint32_t c = cp437_character(static_cast<std::uint8_t>(byte));
        std::string utf8;
        if (c < 0x80) {
            utf8 += static_cast<char>(c);
        } else if (c < 0x800) {
            utf8 += static_cast<char>(0xC0 | c >> 6);
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            utf8 += static_cast<char>(0xE0 | c >> 12);
            utf8 += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        }
        EXPECT_EQ(encoded(utf8), std::string(1, static_cast<char>(byte)) + "\r\n") << "byte " << byte;
    }
}

TEST(Cp437Text, LinesEndInCrLfAndTheLastGetsOne) {
    EXPECT_EQ(encoded("a\nb"), "a\r\nb\r\n");
    EXPECT_EQ(encoded("a\n\nb\n"), "a\r\n\r\nb\r\n");
    EXPECT_EQ(encoded(""), "");
}

TEST(Cp437Text, ColumnsCountCharactersNotBytes) {
    EXPECT_EQ(encoded(std::string(80, 'x')).size(), 82u);
    std::string blocks;
    for (int i = 0; i < 80; ++i) blocks += "█";
    EXPECT_EQ(encoded(blocks).size(), 82u);
    EXPECT_EQ(encoded("ok\n" + std::string(81, 'x')), "error: line 2: wider than 80 columns");
    EXPECT_EQ(encoded(blocks + "█"), "error: line 1: wider than 80 columns");
}

TEST(Cp437Text, LineLimitCountsLinesNotLineEnds) {
    const TextLimits diz{45, 10};
    std::string ten;
    for (int i = 0; i < 10; ++i) ten += "line\n";
    EXPECT_EQ(encoded(ten, diz).size(), 60u);
    EXPECT_EQ(encoded(ten + "eleven", diz), "error: line 11: more than 10 lines");
    EXPECT_EQ(encoded(ten + "\n", diz), "error: line 11: more than 10 lines");
    EXPECT_EQ(encoded(std::string(22, '\n'), diz), "error: line 11: more than 10 lines");
    EXPECT_EQ(encoded(std::string(46, 'x'), diz), "error: line 1: wider than 45 columns");
}

TEST(Cp437Text, RefusalLeavesNoPartialText) {
    std::vector<std::uint8_t> out = {'o', 'l', 'd'};
    std::string error;
    EXPECT_FALSE(encode_cp437("fine\nthen\ta tab", {}, out, error));
    EXPECT_TRUE(out.empty());
}

TEST(Cp437Text, RefusesWhatTheViewersCannotShow) {
    EXPECT_EQ(encoded("a\tb"), "error: line 1: control character U+0009");
    EXPECT_EQ(encoded("a\r\nb"), "error: line 1: control character U+000D");
    EXPECT_EQ(encoded("one\n5 €"), "error: line 2: no code page 437 byte for U+20AC");
    EXPECT_EQ(encoded("😀"), "error: line 1: no code page 437 byte for U+1F600");
    EXPECT_EQ(encoded("\x80"), "error: line 1: malformed UTF-8");              // a lone continuation
    EXPECT_EQ(encoded("\xC0\xB0"), "error: line 1: malformed UTF-8");          // overlong '0'
    EXPECT_EQ(encoded("\xED\xA0\x80"), "error: line 1: malformed UTF-8");      // a surrogate
    EXPECT_EQ(encoded("ab\xE2\x96"), "error: line 1: malformed UTF-8");        // cut off
    EXPECT_EQ(encoded("\xF4\x90\x80\x80"), "error: line 1: malformed UTF-8");  // past U+10FFFF
}

}  // namespace
