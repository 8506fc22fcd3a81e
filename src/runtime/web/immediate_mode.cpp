// glBegin / glEnd for the browser build. Emscripten's legacy GL emulation records
// immediate-mode vertices as one interleaved stream and assumes every vertex sets
// the same attributes in the same order; the show, as OpenGL allows, sets a colour
// per glyph and a normal per cube face, which shifts that stream and draws wild
// triangles. Here the current colour and texture coordinate are kept as OpenGL
// keeps them, copied into each vertex, and the vertices are drawn at glEnd from an
// interleaved vertex array, which the emulation turns into WebGL draws.
// Normals are dropped: lighting is never on.
//
// Texture object 0 has no image. In OpenGL such an incomplete texture switches
// texturing off, so the show's solid shapes come out in their colour; WebGL
// samples it as black. Draws with texture 0 bound therefore run with texturing
// off, and it is switched back on for the next textured draw. The show sets
// GL_TEXTURE_2D once at start-up and never touches it again, so the switch here
// is the only one.
#include <SDL_opengl.h>

#include <algorithm>
#include <array>
#include <cassert>

namespace {

struct Vertex {
    GLfloat x, y, z;
    GLfloat s, t;
    GLfloat r, g, b, a;
};

// Vertices drawn per call at most: the emulation indexes quads with 16 bits and
// stages each draw in a buffer of 2 MB. A multiple of 4, 3 and 2, so quads,
// triangles and lines split between calls without breaking a primitive.
constexpr int batch_capacity = 12288;
constexpr GLenum outside_begin_end = ~0u;
constexpr GLsizei stride = sizeof(Vertex);

std::array<Vertex, batch_capacity> batch;
int batch_size = 0;
GLenum batch_mode = outside_begin_end;
GLfloat current_colour[4] = {1.0f, 1.0f, 1.0f, 1.0f};  // OpenGL's initial colour
GLfloat current_texture_coordinate[2] = {0.0f, 0.0f};
bool arrays_ready = false;
bool texturing_on = true;  // as the fixed state sets it

// The batch never moves, so the arrays are pointed at it once.
void prepare_arrays() {
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(3, GL_FLOAT, stride, &batch[0].x);
    glTexCoordPointer(2, GL_FLOAT, stride, &batch[0].s);
    glColorPointer(4, GL_FLOAT, stride, &batch[0].r);
    arrays_ready = true;
}

void match_texturing_to_binding() {
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    const bool textured = bound != 0;
    if (textured == texturing_on) return;
    if (textured) {
        glEnable(GL_TEXTURE_2D);
    } else {
        glDisable(GL_TEXTURE_2D);
    }
    texturing_on = textured;
}

void draw_batch() {
    if (batch_size == 0) return;
    if (!arrays_ready) prepare_arrays();
    match_texturing_to_binding();
    glDrawArrays(batch_mode, 0, batch_size);
    batch_size = 0;
}

[[maybe_unused]] bool splits_cleanly(GLenum mode) {
    return mode == GL_QUADS || mode == GL_TRIANGLES || mode == GL_LINES || mode == GL_POINTS;
}

void add_vertex(GLfloat x, GLfloat y, GLfloat z) {
    assert(batch_mode != outside_begin_end && "a vertex outside glBegin / glEnd");
    if (batch_mode == outside_begin_end) return;  // as OpenGL: an error, nothing drawn
    if (batch_size == batch_capacity) {
        assert(splits_cleanly(batch_mode) && "strips and fans must fit one batch");
        draw_batch();
    }
    batch[batch_size++] = Vertex{x,
                                 y,
                                 z,
                                 current_texture_coordinate[0],
                                 current_texture_coordinate[1],
                                 current_colour[0],
                                 current_colour[1],
                                 current_colour[2],
                                 current_colour[3]};
}

// Colours are clamped to 0..1 on their way to the rasterizer.
void set_colour(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
    current_colour[0] = std::clamp(r, 0.0f, 1.0f);
    current_colour[1] = std::clamp(g, 0.0f, 1.0f);
    current_colour[2] = std::clamp(b, 0.0f, 1.0f);
    current_colour[3] = std::clamp(a, 0.0f, 1.0f);
}

}  // namespace

extern "C" {

void glBegin(GLenum mode) {
    assert(batch_mode == outside_begin_end && "glBegin inside glBegin / glEnd");
    batch_mode = mode;
    batch_size = 0;
}

void glEnd(void) {
    draw_batch();
    batch_mode = outside_begin_end;
}

void glVertex2f(GLfloat x, GLfloat y) { add_vertex(x, y, 0.0f); }
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) { add_vertex(x, y, z); }

void glTexCoord2f(GLfloat s, GLfloat t) {
    current_texture_coordinate[0] = s;
    current_texture_coordinate[1] = t;
}

void glColor3f(GLfloat r, GLfloat g, GLfloat b) { set_colour(r, g, b, 1.0f); }
void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) { set_colour(r, g, b, a); }

void glNormal3f(GLfloat, GLfloat, GLfloat) {}

}  // extern "C"
