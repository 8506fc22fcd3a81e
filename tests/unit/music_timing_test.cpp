// Timing of the embedded module through an independent player, libxmp, played
// tick by tick: every order starts on its 16-beat boundary of the nominal clock,
// the pass loops to order 0 at 264 s, and the audio itself runs on 918-frame
// ticks at 44.1 kHz (a beat of audio is 499.592 ms).
#include <gtest/gtest.h>
#include <xmp.h>

#include <vector>

#include "assets/embedded_data.h"

namespace {

constexpr int rate = 44100;
constexpr int orders = 33;
constexpr int order_ms = 8000;
constexpr long frames_per_tick = 918;  // floor(44100 * 2.5 / 120)
constexpr long ticks_per_order = 384;

}  // namespace

TEST(MusicTiming, LibxmpPlaysEveryOrderOnItsBeatAndLoopsAt264Seconds) {
    xmp_context ctx = xmp_create_context();
    ASSERT_EQ(0, xmp_load_module_from_memory(ctx, const_cast<unsigned char*>(music_module),
                                             static_cast<long>(music_module_size)));
    ASSERT_EQ(0, xmp_start_player(ctx, rate, XMP_FORMAT_MONO));

    std::vector<int> start_ms(orders, -1);
    std::vector<long> start_frame(orders, -1);
    // frame_info.time includes the tick just played, so a tick starts at the
    // time reported after the one before it. libxmp sums 20.833 ms ticks in
    // floating point and truncates to whole ms, so a boundary may read 1 ms short.
    int loop_ms = -1, last_pos = -1, tick_start_ms = 0;
    long frames = 0, loop_frame = -1;
    xmp_frame_info fi;
    while (xmp_play_frame(ctx) == 0) {
        xmp_get_frame_info(ctx, &fi);
        if (fi.loop_count > 0) {
            EXPECT_EQ(0, fi.pos);
            loop_ms = tick_start_ms;
            loop_frame = frames;
            break;
        }
        if (fi.pos != last_pos) {
            ASSERT_EQ(last_pos + 1, fi.pos) << "orders play in sequence";
            ASSERT_EQ(0, fi.row);
            start_ms[static_cast<std::size_t>(fi.pos)] = tick_start_ms;
            start_frame[static_cast<std::size_t>(fi.pos)] = frames;
            last_pos = fi.pos;
        }
        EXPECT_EQ(frames_per_tick, fi.buffer_size / 2) << "order " << fi.pos << " row " << fi.row;
        EXPECT_EQ(120, fi.bpm);
        frames += fi.buffer_size / 2;
        tick_start_ms = fi.time;
        if (frames > 300L * rate) break;  // a pass that never ends
    }
    xmp_end_player(ctx);
    xmp_release_module(ctx);
    xmp_free_context(ctx);

    for (int n = 0; n < orders; ++n) {
        EXPECT_NEAR(order_ms * n, start_ms[static_cast<std::size_t>(n)], 1) << "order " << n;
        EXPECT_EQ(n * ticks_per_order * frames_per_tick, start_frame[static_cast<std::size_t>(n)]) << "order " << n;
    }
    EXPECT_NEAR(order_ms * orders, loop_ms, 1);
    // The rendered pass is 11,632,896 frames = 263.784 s: 216 ms ahead of the clock.
    EXPECT_EQ(orders * ticks_per_order * frames_per_tick, loop_frame);
}
