// The canvas stretched over a window of another aspect ratio, on real OpenGL.
#include <gtest/gtest.h>

#include <SDL_opengl.h>

#include "offscreen_gl.h"
#include "render/primitives.h"

namespace {

TEST(ProjectionGl, WholeCanvasFillsAWindowOfAnotherAspectRatio) {
    std::string error;
    ASSERT_TRUE(open_offscreen_canvas(1280, 1024, &error)) << error;
    glClear(GL_COLOR_BUFFER_BIT);
    glColor4f(1, 0, 0, 1);
    draw_rect(0, 0, 4, 4);  // canvas top-left corner
    glColor4f(0, 1, 0, 1);
    draw_rect(1020, 764, 4, 4);  // canvas bottom-right corner
    EXPECT_EQ(canvas_pixel(0, 0).r, 255);
    EXPECT_EQ(canvas_pixel(1279, 1023).g, 255);
    EXPECT_EQ(canvas_pixel(640, 512).r, 0);
}

}  // namespace
