// Where the 4:3 canvas lands in a window of any shape: stretched over all of it,
// or letterboxed, the largest 4:3 picture centred with black bars.
#include <gtest/gtest.h>

#include "render/canvas.h"

namespace {

void expect_area(CanvasArea got, CanvasArea want) {
    EXPECT_EQ(got.x, want.x);
    EXPECT_EQ(got.y, want.y);
    EXPECT_EQ(got.width, want.width);
    EXPECT_EQ(got.height, want.height);
}

TEST(CanvasArea, LetterboxKeepsTheFourToThreePictureCentred) {
    expect_area(canvas_area(1920, 1080, CanvasFit::letterbox), {240, 0, 1440, 1080});  // bars left and right
    expect_area(canvas_area(3840, 2160, CanvasFit::letterbox), {480, 0, 2880, 2160});
    expect_area(canvas_area(1024, 768, CanvasFit::letterbox), {0, 0, 1024, 768});    // 4:3 is untouched
    expect_area(canvas_area(1280, 1024, CanvasFit::letterbox), {0, 32, 1280, 960});  // bars above and below
    expect_area(canvas_area(390, 844, CanvasFit::letterbox), {0, 275, 390, 293});    // a phone held upright
    // The widest and tallest windows the capture takes.
    expect_area(canvas_area(8192, 16, CanvasFit::letterbox), {4085, 0, 21, 16});
    expect_area(canvas_area(16, 8192, CanvasFit::letterbox), {0, 4090, 16, 12});
}

TEST(CanvasArea, StretchCoversTheWholeWindow) {
    expect_area(canvas_area(1920, 1080, CanvasFit::stretch), {0, 0, 1920, 1080});
    expect_area(canvas_area(16, 8192, CanvasFit::stretch), {0, 0, 16, 8192});
}

}  // namespace
