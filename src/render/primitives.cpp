// Immediate-mode drawing primitives: solid and textured rectangles drawn as a unit
// square under a transformation, and the textured cube.
#include "render/primitives.h"

#include <SDL_opengl.h>

// The unit square in canvas order: top-left, bottom-left, bottom-right, top-right.
static void emit_unit_square() {
    glVertex2f(0.0f, 0.0f);
    glVertex2f(0.0f, 1.0f);
    glVertex2f(1.0f, 1.0f);
    glVertex2f(1.0f, 0.0f);
}

void draw_rect(float x, float y, float w, float h) {
    glPushMatrix();
    glTranslatef(x, y, 0.0f);
    glScalef(w, h, 1.0f);
    glBegin(GL_QUADS);
    emit_unit_square();
    glEnd();
    glPopMatrix();
}

void draw_centered_rect(float x, float y, float w, float h) {
    glPushMatrix();
    glTranslatef(x, y, 0.0f);
    glScalef(w * 0.5f, h * 0.5f, 1.0f);
    glBegin(GL_QUADS);
    glVertex2f(-1.0f, -1.0f);
    glVertex2f(-1.0f, 1.0f);
    glVertex2f(1.0f, 1.0f);
    glVertex2f(1.0f, -1.0f);
    glEnd();
    glPopMatrix();
}

void draw_textured_quad(TextureRecord texture, float x, float y, float w, float h) {
    glPushMatrix();
    glTranslatef(x, y, 0.0f);
    glScalef(w, h, 1.0f);
    glBindTexture(GL_TEXTURE_2D, texture_name(texture.index));
    glBegin(GL_QUADS);
    // Texture coordinates equal the vertex: the image's top row along the top edge.
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(0.0f, 0.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(0.0f, 1.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(1.0f, 1.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(1.0f, 0.0f);
    glEnd();
    glBindTexture(GL_TEXTURE_2D, 0);
    glPopMatrix();
}

namespace {
struct CubeCorner {
    float s, t;     // texture coordinate
    float x, y, z;  // position in units of half_size
};
struct CubeFace {
    float nx, ny, nz;
    CubeCorner corners[4];
};

// Faces in drawing order; with no depth test the later face lies on top.
constexpr CubeFace cube_faces[6] = {
    {1, 0, 0, {{0, 1, 1, -1, 1}, {0, 0, 1, 1, 1}, {1, 0, 1, 1, -1}, {1, 1, 1, -1, -1}}},
    {-1, 0, 0, {{1, 1, -1, -1, 1}, {1, 0, -1, 1, 1}, {0, 0, -1, 1, -1}, {0, 1, -1, -1, -1}}},
    {0, 1, 0, {{0, 0, -1, 1, 1}, {1, 0, 1, 1, 1}, {1, 1, 1, 1, -1}, {0, 1, -1, 1, -1}}},
    {0, -1, 0, {{0, 0, -1, -1, 1}, {1, 0, 1, -1, 1}, {1, 1, 1, -1, -1}, {0, 1, -1, -1, -1}}},
    {0, 0, 1, {{1, 1, 1, -1, 1}, {1, 0, 1, 1, 1}, {0, 0, -1, 1, 1}, {0, 1, -1, -1, 1}}},
    {0, 0, -1, {{0, 1, 1, -1, -1}, {0, 0, 1, 1, -1}, {1, 0, -1, 1, -1}, {1, 1, -1, -1, -1}}},
};
}  // namespace

void draw_textured_cube(TextureRecord texture, float half_size) {
    const float s = half_size;
    glBindTexture(GL_TEXTURE_2D, texture_name(texture.index));
    glBegin(GL_QUADS);
    for (const CubeFace& face : cube_faces) {
        glNormal3f(face.nx, face.ny, face.nz);
        for (const CubeCorner& c : face.corners) {
            glTexCoord2f(c.s, c.t);
            glVertex3f(c.x * s, c.y * s, c.z * s);
        }
    }
    glEnd();
    glBindTexture(GL_TEXTURE_2D, 0);
}
