// Input handling through the real SDL event queue, one loop turn at a time.
#include <gtest/gtest.h>

#include <SDL.h>

#include <string>

#include "assets/asset_table.h"
#include "gl_recorder.h"
#include "render/particle_field.h"
#include "runtime/beat_clock.h"
#include "runtime/main_loop.h"

namespace {

class MainLoop : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
        // A frame draws with the embedded images, loaded here into the recorder.
        if (texture_registry.texture_names.empty()) load_embedded_textures();
    }
    static void TearDownTestSuite() { SDL_Quit(); }

    void SetUp() override {
        SDL_Event e;
        while (SDL_PollEvent(&e)) {}
        gl_recorder::reset();
        start_beat_clock(SDL_GetTicks());
    }

    static void push_key(Uint8 type, SDLKey key) {
        SDL_Event e{};
        e.type = type;
        e.key.type = type;
        e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        e.key.keysym.sym = key;
        ASSERT_EQ(SDL_PushEvent(&e), 0);
    }

    static void push_button(Uint8 type, Uint8 button) {
        SDL_Event e{};
        e.type = type;
        e.button.type = type;
        e.button.button = button;
        e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
        ASSERT_EQ(SDL_PushEvent(&e), 0);
    }

    // Frames drawn so far: every frame starts with two clears.
    static int frames_drawn() { return gl_recorder::count(gl_recorder::Op::Clear) / 2; }
};

TEST_F(MainLoop, EscapeStillHandlesEventsQueuedBehindItThenStops) {
    push_key(SDL_KEYDOWN, SDLK_ESCAPE);
    push_key(SDL_KEYUP, SDLK_ESCAPE);
    testing::internal::CaptureStdout();
    run_main_loop();  // returns after one turn
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(frames_drawn(), 1);
    EXPECT_EQ(out.back(), '\n');
    EXPECT_EQ(out.find('|'), std::string::npos);
}

// The scroller's translation in the frame just recorded: the one before its scale.
float recorded_scroller_x() {
    const auto& calls = gl_recorder::state().calls;
    for (std::size_t k = 1; k < calls.size(); ++k) {
        if (calls[k].op == gl_recorder::Op::Scale && calls[k].f[0] == 0.75f &&
            calls[k - 1].op == gl_recorder::Op::Translate)
            return calls[k - 1].f[0];
    }
    ADD_FAILURE() << "no scroller in the frame";
    return 0;
}

TEST_F(MainLoop, ATurnDrawsWithTheClockItJustReadThenPausesTenMilliseconds) {
    // The clock still shows beat 0 from its start, while the tick counter already
    // stands 18.6 s on: the frame must show the time the turn reads.
    reset_particle_field();  // keeps the frame quick
    start_beat_clock(SDL_GetTicks() - 18600);
    const Uint32 before = SDL_GetTicks();
    EXPECT_FALSE(run_loop_turn());
    const Uint32 after = SDL_GetTicks();

    const Uint32 read = start_ticks + static_cast<Uint32>(elapsed_ms);  // what the turn read
    EXPECT_GE(read, before);
    EXPECT_LE(read, after);
    EXPECT_GE(timing_beats, 37.2f);
    EXPECT_EQ(frames_drawn(), 1);
    EXPECT_EQ(recorded_scroller_x(), (timing_beats - 16.0f) * -128.0f);
    // From reading the clock to the end of the turn: the frame and the pause.
    EXPECT_GE(after - read, loop_pause_ms);
}

TEST_F(MainLoop, RightButtonQuitsOnPressOnly) {
    push_button(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT);
    push_button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT);
    push_button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE);
    EXPECT_FALSE(run_loop_turn());
    push_button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT);
    EXPECT_TRUE(run_loop_turn());
}

// The browser's turn: the same clock, frame and events, without the pause.
TEST_F(MainLoop, UnpausedTurnReadsTheClockDrawsOneFrameAndHandlesTheQueue) {
    start_beat_clock(SDL_GetTicks() - 18600);
    push_key(SDL_KEYDOWN, SDLK_ESCAPE);
    push_key(SDL_KEYUP, SDLK_ESCAPE);
    testing::internal::CaptureStdout();
    EXPECT_TRUE(run_unpaused_turn());
    const std::string out = testing::internal::GetCapturedStdout();
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out.back(), '\n');  // the release queued behind Escape printed its time
    EXPECT_EQ(frames_drawn(), 1);
    EXPECT_GE(elapsed_ms, 18600);
    EXPECT_FALSE(run_unpaused_turn());
    EXPECT_EQ(frames_drawn(), 2);
}

TEST_F(MainLoop, WindowCloseQuits) {
    SDL_Event e{};
    e.type = SDL_QUIT;
    ASSERT_EQ(SDL_PushEvent(&e), 0);
    EXPECT_TRUE(run_loop_turn());
}

TEST_F(MainLoop, TPressAndReleasePrintOneAuthoringLine) {
    update_beat_clock(start_ticks + 18600);
    testing::internal::CaptureStdout();
    push_key(SDL_KEYDOWN, SDLK_t);
    EXPECT_FALSE(drain_events());
    update_beat_clock(start_ticks + 19000);
    push_key(SDL_KEYUP, SDLK_t);
    push_key(SDL_KEYUP, SDLK_s);  // any key release prints
    EXPECT_FALSE(drain_events());
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "|| timing_beats > 37.200001 && timing_beats <= 38.000000\n38.000000\n");
}

TEST_F(MainLoop, SkipMovesTheClockTwentyBeatsPerPress) {
    const Uint32 before = start_ticks;
    push_key(SDL_KEYDOWN, SDLK_s);
    push_key(SDL_KEYDOWN, SDLK_s);
    push_key(SDL_KEYDOWN, SDLK_s);
    testing::internal::CaptureStdout();
    EXPECT_FALSE(drain_events());
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(static_cast<Uint32>(before - start_ticks), 30000u);
    update_beat_clock(before + 500);
    EXPECT_EQ(timing_beats, 61.0f);
}

TEST_F(MainLoop, OtherKeysDoNothingOnPress) {
    testing::internal::CaptureStdout();
    push_key(SDL_KEYDOWN, SDLK_a);
    push_key(SDL_KEYDOWN, SDLK_RETURN);
    EXPECT_FALSE(drain_events());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

}  // namespace
