// The beat clock, the skip key's wrap-around and the shared beat ramp.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "runtime/beat_clock.h"

namespace {

void run_at(std::int64_t ms) {
    start_beat_clock(0);
    update_beat_clock(static_cast<std::uint32_t>(ms));
}

TEST(BeatClock, ExactValuesAtKeyTimes) {
    run_at(0);
    EXPECT_EQ(elapsed_ms, 0);
    EXPECT_EQ(timing_beats, 0.0f);
    EXPECT_EQ(beat_fraction, 0.0f);

    run_at(500);
    EXPECT_EQ(timing_beats, 1.0f);
    EXPECT_EQ(beat_fraction, 0.0f);

    run_at(18600);
    EXPECT_EQ(timing_beats, 37.2f);
    EXPECT_EQ(beat_fraction, 37.2f - 37.0f);  // exact in single precision
    EXPECT_EQ(beat_fraction + std::floor(timing_beats), timing_beats);
    EXPECT_NEAR(beat_fraction, 0.2000008f, 1e-7f);
}

TEST(BeatClock, BeatsAreFormedInDoubleThenRounded) {
    // 1 ms is 1/500 beat; the product is taken in double before rounding to float.
    for (std::int64_t ms : {1, 7, 333, 18601, 99999, 123457, 2147483}) {
        run_at(ms);
        EXPECT_EQ(timing_beats, static_cast<float>(static_cast<double>(ms) * 120.0 / 60000.0)) << ms;
        EXPECT_GE(beat_fraction, 0.0f);
        EXPECT_LT(beat_fraction, 1.0f);
    }
}

TEST(BeatClock, LongRunsKeepTheDoublePrecisionProduct) {
    // Where a product formed in single precision would round differently: past
    // 18 minutes, and 28 ms short of 2^31, where the beat fraction differs too.
    struct Case {
        std::int64_t ms;
        float beats;
        float fraction;
    };
    for (const Case c : {Case{1118483, 2236.96606f, 0.96606445f}, Case{2147483620, 4294967.0f, 0.0f}}) {
        run_at(c.ms);
        EXPECT_EQ(timing_beats, c.beats) << c.ms;
        EXPECT_EQ(beat_fraction, c.fraction) << c.ms;
    }
}

TEST(BeatClock, SkipWrapsBelowZeroTicks) {
    // S pressed 3 s after SDL started: start_ticks wraps below zero, and the clock
    // still reads the true elapsed time plus 10 s per press.
    start_beat_clock(1000);
    update_beat_clock(3000);
    skip_beat_clock();
    EXPECT_GT(start_ticks, 0xF0000000u);
    update_beat_clock(3000);
    EXPECT_EQ(elapsed_ms, 12000);
    EXPECT_EQ(timing_beats, 24.0f);

    skip_beat_clock();
    skip_beat_clock();
    update_beat_clock(3000);
    EXPECT_EQ(elapsed_ms, 32000);  // three presses: +30 s, +60 beats
    EXPECT_EQ(timing_beats, 64.0f);
}

TEST(BeatClock, ElapsedWrapsToNegativePastTwoToThe31) {
    start_beat_clock(0);
    update_beat_clock(0x80000000u);
    EXPECT_EQ(elapsed_ms, std::numeric_limits<std::int32_t>::min());
    EXPECT_LT(timing_beats, 0.0f);
    EXPECT_GE(beat_fraction, 0.0f);
    EXPECT_LT(beat_fraction, 1.0f);
}

TEST(BeatClock, WrapIndexStaysInRangeForNegativeValues) {
    EXPECT_EQ(wrap_index(0, 55), 0);
    EXPECT_EQ(wrap_index(56, 55), 1);
    EXPECT_EQ(wrap_index(-1, 55), 54);
    EXPECT_EQ(wrap_index(-55, 55), 0);
    EXPECT_EQ(wrap_index(std::numeric_limits<std::int32_t>::min(), 55),
              ((std::int64_t{std::numeric_limits<std::int32_t>::min()} % 55) + 55) % 55);
}

TEST(BeatRamp, WholeMillisecondBoundaries) {
    start_beat_clock(0);
    EXPECT_EQ(beats_to_ms(8.0f), 4000);
    EXPECT_EQ(beats_to_ms(216.0f), 108000);
    EXPECT_EQ(beats_to_ms(20.0f), 10000);

    update_beat_clock(4000);  // entry envelope from beat 8 over 8 beats
    EXPECT_EQ(beat_ramp(8, 8), 0.0f);
    EXPECT_FALSE(beat_ramp_running(8, 8));
    update_beat_clock(4001);
    EXPECT_EQ(beat_ramp(8, 8), 1.0f / 4000.0f);
    EXPECT_TRUE(beat_ramp_running(8, 8));
    update_beat_clock(8000);
    EXPECT_EQ(beat_ramp(8, 8), 1.0f);
    EXPECT_TRUE(beat_ramp_running(8, 8));
    update_beat_clock(8001);
    EXPECT_EQ(beat_ramp(8, 8), 1.0f);
    EXPECT_FALSE(beat_ramp_running(8, 8));
}

TEST(BeatRamp, FollowsTheTempo) {
    start_beat_clock(0);
    bpm = 60.0f;  // one beat is a second
    EXPECT_EQ(beats_to_ms(8.0f), 8000);
    update_beat_clock(12000);
    EXPECT_EQ(beat_ramp(8, 8), 0.5f);
    bpm = show_bpm;
}

}  // namespace
