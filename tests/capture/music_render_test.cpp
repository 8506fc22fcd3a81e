// The captured sound stream: one pass of the music repeats sample for sample
// after every restart, which is what lets a late start skip whole passes; a late
// start then gives the same samples as rendering the stream from its start.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "capture_timing.h"
#include "music_render.h"
#include "runtime/sound_format.h"

namespace {

// The stream [first, end) as interleaved samples.
std::vector<std::int16_t> render(std::int64_t first, std::int64_t end) {
    std::vector<std::int16_t> samples;
    std::string error;
    const auto sink = [&](const std::int16_t* frames, std::size_t count) {
        samples.insert(samples.end(), frames, frames + count * audio_channels);
        return true;
    };
    EXPECT_TRUE(render_music(first, end, sink, error)) << error;
    return samples;
}

// Rendered once for all the tests.
std::int64_t pass_frames() {
    static std::int64_t frames = 0;
    if (frames > 0) return frames;
    std::string error;
    const auto count = [&](const std::int16_t*, std::size_t n) {
        frames += static_cast<std::int64_t>(n);
        return true;
    };
    EXPECT_TRUE(render_music(0, end_of_pass, count, error)) << error;
    return frames;
}

class MusicStream : public ::testing::Test {
protected:
    void SetUp() override {
        if (!music_embedded()) GTEST_SKIP() << "no music embedded in this build";
    }
};

TEST_F(MusicStream, PassEndsAtTheFirstMixingBufferAfterTheSong) {
    // 33 orders of 16 beats, 24 ticks a beat, 918 samples a tick; the mixer
    // notices the end at the start of its next 8192-frame buffer.
    constexpr std::int64_t song = 33 * 16 * 24 * 918;
    const std::int64_t pass = pass_frames();
    EXPECT_EQ(pass % audio_buffer_frames, 0);
    EXPECT_GE(pass, song);
    EXPECT_LT(pass - song, audio_buffer_frames);
}

// Rendered from the start without skipping, passes 2 and 3 equal pass 1 in
// every sample: each restart leaves the player in the same state. (Pass 0
// starts from silence instead of fading out what a previous pass left.)
TEST_F(MusicStream, EveryPassAfterARestartRepeatsSampleForSample) {
    const std::int64_t pass = pass_frames();
    std::vector<std::int16_t> second_pass;
    second_pass.reserve(static_cast<std::size_t>(pass) * audio_channels);
    std::int64_t at = 0;
    std::int64_t first_difference = -1;
    std::string error;
    const auto compare = [&](const std::int16_t* frames, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i, ++at) {
            const std::int16_t* frame = frames + i * audio_channels;
            if (at < pass) continue;
            if (at < 2 * pass) {
                second_pass.insert(second_pass.end(), frame, frame + audio_channels);
                continue;
            }
            const std::int16_t* same = second_pass.data() + (at % pass) * audio_channels;
            if (first_difference < 0 && (frame[0] != same[0] || frame[1] != same[1])) first_difference = at;
        }
        return true;
    };
    ASSERT_TRUE(render_music(0, 4 * pass, compare, error)) << error;
    EXPECT_EQ(at, 4 * pass);
    EXPECT_EQ(first_difference, -1) << "pass " << first_difference / pass << " differs from pass 1 at frame "
                                    << first_difference % pass;
}

// A start thousands of passes in gives the samples of its place in a pass after
// a restart, both for a range and for "to the end of the pass"; so does a start
// in the second pass, where nothing is skipped.
TEST_F(MusicStream, LateStartGivesTheSamplesOfItsPlaceInThePass) {
    const std::int64_t pass = pass_frames();
    const std::int64_t late = sample_at_ms(INT32_MAX);
    const std::int64_t place = pass + (late - pass) % pass;
    constexpr std::int64_t span = 3 * audio_buffer_frames + 17;
    EXPECT_EQ(render(late, late + span), render(place, place + span));
    EXPECT_EQ(render(late, end_of_pass).size(), static_cast<std::size_t>((2 * pass - place) * audio_channels));
    // A range across a pass end carries on with the next pass.
    const std::int64_t before_end = 5 * pass - 1000;
    EXPECT_EQ(render(before_end, before_end + 2000), render(2 * pass - 1000, 2 * pass + 1000));
}

}  // namespace
