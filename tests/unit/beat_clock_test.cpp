// The beat clock, the skip key's wrap-around and the shared beat ramp.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
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

// With sound the clock waits at beat 0 until the sound says where beat 0 is heard.
TEST(BeatClockHeardStart, WaitsAtZeroUntilTheMusicIsHeardThenCountsFromThere) {
    hold_beat_clock(1000);
    for (std::uint32_t t : {1000u, 1010u, 1150u}) {
        update_beat_clock(t);
        EXPECT_EQ(elapsed_ms, 0) << t;
        EXPECT_TRUE(beat_clock_waiting());
    }
    hear_beat_zero_at(1290);  // the first sample reaches the output 140 ms from now
    for (std::uint32_t t : {1160u, 1289u, 1290u}) {
        update_beat_clock(t);
        EXPECT_EQ(elapsed_ms, 0) << t;
    }
    EXPECT_FALSE(beat_clock_waiting());
    update_beat_clock(1790);
    EXPECT_EQ(elapsed_ms, 500);
    EXPECT_EQ(timing_beats, 1.0f);
    EXPECT_EQ(start_ticks, 1290u);
}

// Readings that arrive late, or correct earlier ones, move the clock by at most
// 2 ms a turn against the ticks, never backwards, and end on the reading.
TEST(BeatClockHeardStart, CorrectionsAreSmallForwardStepsThatEndOnTheReading) {
    struct Case {
        std::uint32_t held_from;
        std::uint32_t heard;      // the first reading: 30 ms past, or ahead
        std::uint32_t corrected;  // a later reading
    };
    for (const Case c : {Case{5000, 4970, 4970}, Case{5000, 5100, 5093}, Case{5000, 5100, 5111},
                         Case{0xFFFFFF00u, 0xFFFFFFF0u, 0x00000008u}}) {
        hold_beat_clock(c.held_from);
        hear_beat_zero_at(c.heard);
        std::uint32_t t = c.held_from;
        std::int32_t before = 0;
        for (int turn = 0; turn < 400; ++turn) {
            // Turns of 0 to 16 ms, as a loaded machine gives them.
            const std::uint32_t passed = static_cast<std::uint32_t>((turn * 7) % 17);
            t += passed;
            if (turn == 100) hear_beat_zero_at(c.corrected);
            const bool was_running = !beat_clock_waiting();
            update_beat_clock(t);
            ASSERT_GE(elapsed_ms, before) << "turn " << turn << " from " << c.held_from;
            // Waiting at 0 is the clock not yet started; once it runs, it follows the ticks.
            if (was_running) {
                ASSERT_LE(std::abs(elapsed_ms - before - static_cast<std::int32_t>(passed)), max_clock_correction_ms)
                    << "turn " << turn << " from " << c.held_from;
            }
            before = elapsed_ms;
        }
        EXPECT_EQ(start_ticks, c.corrected) << c.held_from;
        EXPECT_EQ(elapsed_ms, static_cast<std::int32_t>(t - c.corrected)) << c.held_from;
    }
}

// A page whose audio context never runs says nothing: the show goes on without it.
TEST(BeatClockHeardStart, ASilentSoundIsWaitedForThreeSecondsAtMost) {
    hold_beat_clock(0xFFFFF000u);
    update_beat_clock(0xFFFFF000u + max_sound_wait_ms - 1);
    EXPECT_TRUE(beat_clock_waiting());
    update_beat_clock(0xFFFFF000u + max_sound_wait_ms);
    EXPECT_FALSE(beat_clock_waiting());
    EXPECT_EQ(elapsed_ms, 0);
    update_beat_clock(0xFFFFF000u + max_sound_wait_ms + 40);
    EXPECT_EQ(elapsed_ms, 40);
    // A reading that comes at last is caught up with in small steps.
    hear_beat_zero_at(0xFFFFF000u + 1000);
    update_beat_clock(0xFFFFF000u + max_sound_wait_ms + 50);
    EXPECT_EQ(elapsed_ms, 52);
}

TEST(BeatClockHeardStart, WithoutSoundTheClockStartsAtOnceAndReadingsDoNotMoveAFinishedSkip) {
    start_beat_clock(700);
    EXPECT_FALSE(beat_clock_waiting());
    update_beat_clock(1200);
    EXPECT_EQ(elapsed_ms, 500);

    // The S key jumps the music out of step by design: the sound's next readings,
    // still counted from the module's start, leave the jump where it is.
    hold_beat_clock(1000);
    hear_beat_zero_at(1100);
    update_beat_clock(1100);
    update_beat_clock(1600);
    skip_beat_clock();
    for (std::uint32_t t = 1610; t < 2600; t += 10) {
        hear_beat_zero_at(1100);
        update_beat_clock(t);
    }
    EXPECT_EQ(elapsed_ms, 2590 - 1100 + 10000);
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
