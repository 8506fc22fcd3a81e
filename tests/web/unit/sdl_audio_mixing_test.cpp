// SDL_MixAudio as the browser build provides it: 16-bit samples scaled by the
// volume and added with clipping.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstring>

namespace {

void mix(const Sint16* source, Sint16* destination, int count, int volume) {
    SDL_MixAudio(reinterpret_cast<Uint8*>(destination), reinterpret_cast<const Uint8*>(source),
                 static_cast<Uint32>(count * 2), volume);
}

}  // namespace

TEST(MixAudio, AddsScaledSamplesAndClips) {
    const Sint16 source[4] = {1000, -1000, 30000, -30000};
    Sint16 destination[4] = {1, 1, 10000, -10000};
    mix(source, destination, 4, SDL_MIX_MAXVOLUME);
    EXPECT_EQ(destination[0], 1001);
    EXPECT_EQ(destination[1], -999);
    EXPECT_EQ(destination[2], 32767);
    EXPECT_EQ(destination[3], -32768);

    Sint16 half[2] = {0, 0};
    mix(source, half, 2, SDL_MIX_MAXVOLUME / 2);
    EXPECT_EQ(half[0], 500);
    EXPECT_EQ(half[1], -500);
}

TEST(MixAudio, SilentVolumeAndOddLengthsLeaveTheRestAlone) {
    const Sint16 source[2] = {1234, 1234};
    Sint16 destination[2] = {7, 7};
    mix(source, destination, 2, 0);
    EXPECT_EQ(destination[0], 7);
    // Three bytes: one whole sample, the odd byte is not touched.
    SDL_MixAudio(reinterpret_cast<Uint8*>(destination), reinterpret_cast<const Uint8*>(source), 3,
                 SDL_MIX_MAXVOLUME);
    EXPECT_EQ(destination[0], 1241);
    EXPECT_EQ(destination[1], 7);
}
