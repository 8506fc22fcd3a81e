// The browser build's glBegin / glEnd over vertex arrays, against a recording
// stand-in for the OpenGL calls it makes (defined here, in place of the
// emulation's): per-vertex colours and texture coordinates as OpenGL keeps them,
// texturing off for texture 0, solid shapes gathered into one draw through their
// matrices, and the drawing order kept.
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_opengl.h>

#include <array>
#include <cstring>
#include <vector>

namespace {

struct RecordedVertex {
    float x, y, z, w, s, t, r, g, b, a;
};

struct Draw {
    GLenum mode;
    bool texturing;
    bool identity;  // drawn under a loaded identity model-view
    GLint texture;
    std::vector<RecordedVertex> vertices;
};

struct Recorder {
    GLint bound_texture = 0;
    std::array<GLfloat, 16> model_view{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    bool texturing = true;
    int pushed_identity = 0;
    const GLfloat* positions = nullptr;
    const GLfloat* texture_coordinates = nullptr;
    const GLfloat* colours = nullptr;
    GLsizei stride = 0;
    std::vector<Draw> draws;
};

Recorder gl;

void translate(float x, float y) { gl.model_view = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, 0, 1}; }

void quad(float size) {
    glBegin(GL_QUADS);
    glVertex2f(0, 0);
    glVertex2f(0, size);
    glVertex2f(size, size);
    glVertex2f(size, 0);
    glEnd();
}

class ImmediateMode : public ::testing::Test {
protected:
    void SetUp() override {
        SDL_GL_SwapBuffers();  // nothing left over from another test
        gl.draws.clear();
        gl.bound_texture = 0;
        translate(0, 0);
    }
};

}  // namespace

extern "C" {

void glGetIntegerv(GLenum name, GLint* value) { *value = name == GL_TEXTURE_BINDING_2D ? gl.bound_texture : 0; }
void glGetFloatv(GLenum name, GLfloat* value) {
    if (name == GL_MODELVIEW_MATRIX) std::memcpy(value, gl.model_view.data(), sizeof(GLfloat) * 16);
}
void glEnable(GLenum cap) {
    if (cap == GL_TEXTURE_2D) gl.texturing = true;
}
void glDisable(GLenum cap) {
    if (cap == GL_TEXTURE_2D) gl.texturing = false;
}
void glEnableClientState(GLenum) {}
void glVertexPointer(GLint, GLenum, GLsizei stride, const GLvoid* pointer) {
    gl.positions = static_cast<const GLfloat*>(pointer);
    gl.stride = stride;
}
void glTexCoordPointer(GLint, GLenum, GLsizei, const GLvoid* pointer) {
    gl.texture_coordinates = static_cast<const GLfloat*>(pointer);
}
void glColorPointer(GLint, GLenum, GLsizei, const GLvoid* pointer) {
    gl.colours = static_cast<const GLfloat*>(pointer);
}
void glPushMatrix(void) {}
void glLoadIdentity(void) { ++gl.pushed_identity; }
void glPopMatrix(void) { --gl.pushed_identity; }
void glDrawArrays(GLenum mode, GLint first, GLsizei count) {
    Draw draw{mode, gl.texturing, gl.pushed_identity > 0, gl.bound_texture, {}};
    const int floats = gl.stride / static_cast<int>(sizeof(GLfloat));
    for (GLsizei i = first; i < first + count; ++i) {
        const GLfloat* p = gl.positions + i * floats;
        const GLfloat* t = gl.texture_coordinates + i * floats;
        const GLfloat* c = gl.colours + i * floats;
        draw.vertices.push_back({p[0], p[1], p[2], p[3], t[0], t[1], c[0], c[1], c[2], c[3]});
    }
    gl.draws.push_back(draw);
}

}  // extern "C"

TEST_F(ImmediateMode, SolidShapesUnderTheirOwnMatricesBecomeOneDrawAtTheSwap) {
    translate(10, 20);
    glColor3f(1, 0, 0);
    quad(2);
    translate(100, 200);
    glColor4f(0, 1, 0, 0.5f);
    quad(4);
    EXPECT_TRUE(gl.draws.empty()) << "gathered until the frame is presented";
    SDL_GL_SwapBuffers();
    ASSERT_EQ(gl.draws.size(), 1u);
    const Draw& draw = gl.draws[0];
    EXPECT_EQ(draw.mode, static_cast<GLenum>(GL_QUADS));
    EXPECT_FALSE(draw.texturing) << "texture 0 draws in plain colour";
    EXPECT_TRUE(draw.identity);
    ASSERT_EQ(draw.vertices.size(), 8u);
    EXPECT_FLOAT_EQ(draw.vertices[2].x, 12);
    EXPECT_FLOAT_EQ(draw.vertices[2].y, 22);
    EXPECT_FLOAT_EQ(draw.vertices[2].w, 1);
    EXPECT_FLOAT_EQ(draw.vertices[6].x, 104);
    EXPECT_FLOAT_EQ(draw.vertices[3].r, 1);
    EXPECT_FLOAT_EQ(draw.vertices[4].g, 1);
    EXPECT_FLOAT_EQ(draw.vertices[4].a, 0.5f);
}

TEST_F(ImmediateMode, TexturedDrawComesAfterTheSolidsBeforeItWithColourPerVertex) {
    quad(1);  // solid
    gl.bound_texture = 7;
    glBegin(GL_QUADS);
    glColor3f(1, 1, 1);
    glTexCoord2f(0.25f, 0.5f);
    glVertex2f(0, 0);
    glVertex2f(0, 1);
    glColor3f(0, 0, 1);  // a colour change inside the primitive, as the font makes them
    glVertex2f(1, 1);
    glVertex2f(1, 0);
    glEnd();
    ASSERT_EQ(gl.draws.size(), 2u);
    EXPECT_EQ(gl.draws[0].texture, 7) << "the solids were drawn when the texture was bound...";
    EXPECT_FALSE(gl.draws[0].texturing) << "...but with texturing off";
    EXPECT_TRUE(gl.draws[1].texturing);
    EXPECT_FALSE(gl.draws[1].identity) << "a textured draw keeps its matrix";
    const auto& v = gl.draws[1].vertices;
    ASSERT_EQ(v.size(), 4u);
    EXPECT_FLOAT_EQ(v[1].r, 1);
    EXPECT_FLOAT_EQ(v[1].s, 0.25f);
    EXPECT_FLOAT_EQ(v[2].r, 0);
    EXPECT_FLOAT_EQ(v[2].b, 1);
    EXPECT_FLOAT_EQ(v[3].t, 0.5f);
}

TEST_F(ImmediateMode, ColoursAreClampedAndStripsAreDrawnAtOnce) {
    glColor4f(2, -1, 0.5f, 3);
    glBegin(GL_TRIANGLE_STRIP);
    glVertex2f(0, 0);
    glVertex2f(1, 0);
    glVertex2f(0, 1);
    glEnd();
    ASSERT_EQ(gl.draws.size(), 1u);
    EXPECT_EQ(gl.draws[0].mode, static_cast<GLenum>(GL_TRIANGLE_STRIP));
    EXPECT_FLOAT_EQ(gl.draws[0].vertices[0].r, 1);
    EXPECT_FLOAT_EQ(gl.draws[0].vertices[0].g, 0);
    EXPECT_FLOAT_EQ(gl.draws[0].vertices[0].a, 1);
}

TEST_F(ImmediateMode, ManyShapesSplitIntoDrawsOfWholeQuads) {
    constexpr int quads = 5000;
    for (int k = 0; k < quads; ++k) quad(1);
    SDL_GL_SwapBuffers();
    ASSERT_GE(gl.draws.size(), 2u);
    std::size_t total = 0;
    for (const Draw& draw : gl.draws) {
        EXPECT_EQ(draw.vertices.size() % 4, 0u);
        total += draw.vertices.size();
    }
    EXPECT_EQ(total, 4u * quads);
}

TEST_F(ImmediateMode, AnotherSolidPrimitiveTypeEndsTheGathering) {
    quad(1);
    glBegin(GL_TRIANGLES);
    glVertex2f(0, 0);
    glVertex2f(1, 0);
    glVertex2f(0, 1);
    glEnd();
    ASSERT_EQ(gl.draws.size(), 1u);
    EXPECT_EQ(gl.draws[0].mode, static_cast<GLenum>(GL_QUADS));
    SDL_GL_SwapBuffers();
    ASSERT_EQ(gl.draws.size(), 2u);
    EXPECT_EQ(gl.draws[1].mode, static_cast<GLenum>(GL_TRIANGLES));
}
