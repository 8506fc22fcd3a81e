// The browser build's memory streams: reads and seeks stay inside the block
// whatever they are asked, as SDL 1.2's memory streams do.
#include <gtest/gtest.h>

#include <SDL.h>

#include <string>

TEST(MemoryStream, ReadsWholeObjectsAndStopsAtTheEnd) {
    unsigned char data[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    SDL_RWops* s = SDL_RWFromConstMem(data, sizeof data);
    ASSERT_NE(s, nullptr);
    unsigned char out[16] = {};
    EXPECT_EQ(SDL_RWread(s, out, 4, 2), 2u);
    EXPECT_EQ(out[7], 7);
    EXPECT_EQ(SDL_RWread(s, out, 4, 1), 0u);  // two bytes left: no whole object
    EXPECT_EQ(SDL_RWtell(s), 8);
    EXPECT_EQ(SDL_RWread(s, out, 1, 5), 2u);
    EXPECT_EQ(SDL_RWread(s, out, 0, 5), 0u);
    SDL_RWclose(s);
}

TEST(MemoryStream, SeeksAreClampedToTheBlock) {
    unsigned char data[10] = {};
    SDL_RWops* s = SDL_RWFromMem(data, sizeof data);
    EXPECT_EQ(SDL_RWseek(s, -5, RW_SEEK_SET), 0);
    EXPECT_EQ(SDL_RWseek(s, 100, RW_SEEK_CUR), 10);
    EXPECT_EQ(SDL_RWseek(s, -3, RW_SEEK_END), 7);
    EXPECT_EQ(SDL_RWseek(s, 2147483647L, RW_SEEK_CUR), 10);
    EXPECT_EQ(SDL_RWseek(s, -2147483647L - 1, RW_SEEK_CUR), 0);
    EXPECT_EQ(SDL_RWseek(s, 0, 7), -1);
    SDL_RWclose(s);
}

TEST(MemoryStream, WritableOnlyOverWritableMemory) {
    unsigned char data[4] = {};
    SDL_RWops* writable = SDL_RWFromMem(data, sizeof data);
    const unsigned char value[3] = {7, 8, 9};
    EXPECT_EQ(SDL_RWwrite(writable, value, 3, 1), 1u);
    EXPECT_EQ(SDL_RWwrite(writable, value, 3, 1), 0u);  // one byte of room left
    EXPECT_EQ(data[2], 9);
    SDL_RWclose(writable);
    SDL_RWops* constant = SDL_RWFromConstMem(data, sizeof data);
    EXPECT_EQ(SDL_RWwrite(constant, value, 1, 1), 0u);
    EXPECT_EQ(data[0], 7);
    SDL_RWclose(constant);
}

TEST(MemoryStream, RefusesBadBlocksAndFiles) {
    EXPECT_EQ(SDL_RWFromMem(nullptr, 4), nullptr);
    unsigned char data[1] = {};
    EXPECT_EQ(SDL_RWFromConstMem(data, -1), nullptr);
    EXPECT_EQ(SDL_RWFromFile("music.xm", "rb"), nullptr);
    EXPECT_NE(std::string(SDL_GetError()).find("music.xm"), std::string::npos);
}

TEST(MemoryStream, ReadsNumbersInEitherByteOrder) {
    const unsigned char data[12] = {0x01, 0x02, 0x01, 0x02, 0x01, 0x02, 0x03, 0x04, 0x01, 0x02, 0x03, 0x04};
    SDL_RWops* s = SDL_RWFromConstMem(data, sizeof data);
    EXPECT_EQ(SDL_ReadLE16(s), 0x0201);
    EXPECT_EQ(SDL_ReadBE16(s), 0x0102);
    EXPECT_EQ(SDL_ReadLE32(s), 0x04030201u);
    EXPECT_EQ(SDL_ReadBE32(s), 0x01020304u);
    EXPECT_EQ(SDL_ReadLE32(s), 0u);  // past the end: nothing read
    SDL_RWclose(s);
}
