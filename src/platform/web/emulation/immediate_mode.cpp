// glBegin / glEnd for the browser build. Emscripten's legacy GL emulation records
// immediate-mode vertices as one interleaved stream and assumes every vertex sets
// the same attributes in the same order; the show, as OpenGL allows, sets a colour
// per glyph and a normal per cube face, which shifts that stream and draws wild
// triangles. Here the current colour and texture coordinate are kept as OpenGL
// keeps them and copied into each vertex, and the vertices are drawn from an
// interleaved vertex array, which the emulation turns into WebGL draws. Normals are
// dropped: lighting is never on.
//
// Texture object 0 has no image. In OpenGL such an incomplete texture switches
// texturing off, so the show's solid shapes come out in their colour; WebGL
// samples it as black. Draws with texture 0 bound therefore run with texturing
// off, and it is switched back on for textured draws. The show sets GL_TEXTURE_2D
// once at start-up and never touches it again, so the switch here is the only one.
//
// Every WebGL draw of the emulation costs some ten WebGL calls, and the particle
// field draws each particle under its own matrix. Solid shapes (texture 0 bound)
// drawn as separate primitives (quads, triangles, lines, points) are therefore
// gathered into one draw: their vertices are taken through the model-view matrix
// here, as the emulation's vertex shader would take them (the same products,
// summed in the same order), and drawn under the identity. The gathered shapes are
// drawn, in order, before any other draw and when the frame is presented; colour,
// matrices and texture binding are captured per vertex or decide the path, and
// blending is fixed state, so nothing drawn in between can change their look.
#include <SDL.h>
#include <SDL_opengl.h>

#include <algorithm>
#include <array>
#include <cassert>

namespace {

struct Vertex {
    GLfloat x, y, z, w;
    GLfloat s, t;
    GLfloat r, g, b, a;
};

// Vertices drawn per call at most: the emulation indexes quads with 16 bits and
// stages each draw in a buffer of 2 MB. A multiple of 4, 3 and 2, so quads,
// triangles and lines split between calls without breaking a primitive.
constexpr int batch_capacity = 12288;
constexpr GLenum outside_begin_end = ~0u;
constexpr GLsizei stride = sizeof(Vertex);
constexpr int matrix_size = 16;

// A run of vertices to draw with one primitive type.
struct Batch {
    std::array<Vertex, batch_capacity> vertices;
    int size = 0;
    GLenum mode = outside_begin_end;
};

Batch primitive;  // the current glBegin / glEnd, as given
Batch solids;     // gathered solid shapes, through their model-view matrices
GLenum begun_mode = outside_begin_end;
bool gathering = false;  // the current glBegin / glEnd goes into `solids`
GLfloat model_view[matrix_size];
GLfloat current_colour[4] = {1.0f, 1.0f, 1.0f, 1.0f};  // OpenGL's initial colour
GLfloat current_texture_coordinate[2] = {0.0f, 0.0f};
const Batch* arrays_source = nullptr;
bool texturing_on = true;  // as the fixed state sets it

bool splits_cleanly(GLenum mode) {
    return mode == GL_QUADS || mode == GL_TRIANGLES || mode == GL_LINES || mode == GL_POINTS;
}

void point_arrays_at(const Batch& batch) {
    if (arrays_source == &batch) return;
    if (!arrays_source) {
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glEnableClientState(GL_COLOR_ARRAY);
    }
    glVertexPointer(4, GL_FLOAT, stride, &batch.vertices[0].x);
    glTexCoordPointer(2, GL_FLOAT, stride, &batch.vertices[0].s);
    glColorPointer(4, GL_FLOAT, stride, &batch.vertices[0].r);
    arrays_source = &batch;
}

void set_texturing(bool on) {
    if (on == texturing_on) return;
    if (on) {
        glEnable(GL_TEXTURE_2D);
    } else {
        glDisable(GL_TEXTURE_2D);
    }
    texturing_on = on;
}

void draw(Batch& batch) {
    if (batch.size == 0) return;
    point_arrays_at(batch);
    glDrawArrays(batch.mode, 0, batch.size);
    batch.size = 0;
}

void draw_solids() {
    if (solids.size == 0) return;
    set_texturing(false);
    glPushMatrix();
    glLoadIdentity();
    draw(solids);
    glPopMatrix();
}

bool texture_bound() {
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    return bound != 0;
}

// A full batch is drawn and begun again; only primitives that split cleanly can
// be longer than one batch.
void make_room(Batch& batch) {
    if (batch.size < batch_capacity) return;
    assert(splits_cleanly(batch.mode) && "strips and fans must fit one batch");
    if (&batch == &solids) {
        draw_solids();
    } else {
        draw(batch);
    }
}

void add_vertex(GLfloat x, GLfloat y, GLfloat z) {
    assert(begun_mode != outside_begin_end && "a vertex outside glBegin / glEnd");
    if (begun_mode == outside_begin_end) return;  // as OpenGL: an error, nothing drawn
    const GLfloat* c = current_colour;
    const GLfloat* t = current_texture_coordinate;
    if (!gathering) {
        make_room(primitive);
        primitive.vertices[primitive.size++] = Vertex{x, y, z, 1.0f, t[0], t[1], c[0], c[1], c[2], c[3]};
        return;
    }
    make_room(solids);
    const GLfloat* m = model_view;  // column-major
    solids.vertices[solids.size++] = Vertex{m[0] * x + m[4] * y + m[8] * z + m[12],
                                            m[1] * x + m[5] * y + m[9] * z + m[13],
                                            m[2] * x + m[6] * y + m[10] * z + m[14],
                                            m[3] * x + m[7] * y + m[11] * z + m[15],
                                            t[0],
                                            t[1],
                                            c[0],
                                            c[1],
                                            c[2],
                                            c[3]};
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
    assert(begun_mode == outside_begin_end && "glBegin inside glBegin / glEnd");
    begun_mode = mode;
    gathering = splits_cleanly(mode) && !texture_bound();
    if (gathering) {
        if (solids.mode != mode) draw_solids();
        solids.mode = mode;
        glGetFloatv(GL_MODELVIEW_MATRIX, model_view);
    } else {
        draw_solids();  // what was drawn before comes first
        primitive.mode = mode;
        primitive.size = 0;
    }
}

void glEnd(void) {
    if (!gathering && begun_mode != outside_begin_end) {
        set_texturing(texture_bound());
        draw(primitive);
    }
    begun_mode = outside_begin_end;
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

// Presenting the frame: the gathered shapes are drawn first. (The emulation's own
// swap does nothing outside a worker; the browser presents when the turn returns.)
void SDL_GL_SwapBuffers(void) { draw_solids(); }

}  // extern "C"
