// Holding back standard error while SDL probes its drivers, and bringing it back.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/sdl_desktop/stderr_hold.h"

namespace {

TEST(StderrHold, LinesWhileHeldAreDroppedAndLaterOnesArrive) {
    testing::internal::CaptureStderr();
    const int held = hold_stderr();
    EXPECT_GE(held, 0);
    std::fprintf(stderr, "a driver's own complaint\n");
    release_stderr(held);
    std::fprintf(stderr, "the show's line\n");
    std::fflush(stderr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "the show's line\n");
}

TEST(StderrHold, ReleasingNothingLeavesStandardErrorAlone) {
    testing::internal::CaptureStderr();
    release_stderr(-1);
    std::fprintf(stderr, "still here\n");
    std::fflush(stderr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "still here\n");
}

}  // namespace
