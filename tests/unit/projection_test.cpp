// The canvas projection and the fixed GL state, checked on the recording stand-in.
#include <gtest/gtest.h>

#include "gl_recorder.h"
#include "runtime/display_settings.h"
#include "runtime/show.h"

namespace {

using gl_recorder::Op;

TEST(Projection, NonPositiveSizeLeavesViewportAndMatricesAlone) {
    for (auto [w, h] : {std::pair{0, 768}, std::pair{1024, 0}, std::pair{-5, -5}}) {
        gl_recorder::reset();
        screen_width = w;
        screen_height = h;
        set_projection();
        EXPECT_TRUE(gl_recorder::state().calls.empty()) << w << "x" << h;
    }
    reset_display_settings();
}

TEST(Projection, CanvasMapsOntoClipSpaceWhateverTheWindow) {
    gl_recorder::reset();
    screen_width = 1280;
    screen_height = 1024;
    set_projection();
    const auto& s = gl_recorder::state();
    EXPECT_EQ(s.viewport[2], 1280);
    EXPECT_EQ(s.viewport[3], 1024);
    EXPECT_EQ(s.matrix_mode, static_cast<GLenum>(GL_MODELVIEW));
    // The canvas corners land on the clip-space corners: (0,0) top-left, (1024,768) bottom-right.
    const auto& p = s.projection.back();
    auto clip = [&](float x, float y) { return std::pair{p[0] * x + p[12], p[5] * y + p[13]}; };
    EXPECT_FLOAT_EQ(clip(0, 0).first, -1.0f);
    EXPECT_FLOAT_EQ(clip(0, 0).second, 1.0f);
    EXPECT_FLOAT_EQ(clip(1024, 768).first, 1.0f);
    EXPECT_FLOAT_EQ(clip(1024, 768).second, -1.0f);
    EXPECT_FLOAT_EQ(p[10], -1.0f / 4000.0f);
    reset_display_settings();
}

TEST(FixedState, BlendingTexturingAndColourMaterialOnly) {
    gl_recorder::reset();
    set_fixed_gl_state();
    auto& s = gl_recorder::state();
    EXPECT_TRUE(s.enabled[GL_TEXTURE_2D]);
    EXPECT_TRUE(s.enabled[GL_BLEND]);
    EXPECT_TRUE(s.enabled[GL_COLOR_MATERIAL]);
    EXPECT_FALSE(s.enabled[GL_DEPTH_TEST]);
    EXPECT_FALSE(s.enabled[GL_LIGHTING]);
    EXPECT_FALSE(s.enabled[GL_CULL_FACE]);
    const auto blend = gl_recorder::calls_of(Op::BlendFunc);
    ASSERT_EQ(blend.size(), 1u);
    EXPECT_EQ(blend[0].target, static_cast<GLenum>(GL_SRC_ALPHA));
    EXPECT_EQ(blend[0].i[0], GL_ONE_MINUS_SRC_ALPHA);
    ASSERT_EQ(gl_recorder::calls_of(Op::ShadeModel).size(), 1u);
    EXPECT_EQ(gl_recorder::calls_of(Op::ShadeModel)[0].target, static_cast<GLenum>(GL_SMOOTH));
}

}  // namespace
