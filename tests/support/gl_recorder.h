// A recording stand-in for the OpenGL 1.1 functions the show calls. Test binaries
// link it in place of libGL: every call is appended to a log with its arguments,
// and a small model of the GL state (matrix stacks, current colour, bound texture,
// uploaded textures) lets tests check geometry in canvas coordinates.
#pragma once
#include <GL/gl.h>

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace gl_recorder {

using Matrix = std::array<float, 16>;  // column-major, as OpenGL keeps it

enum class Op {
    Begin,
    End,
    Vertex,
    TexCoord,
    Normal,
    Color,
    BindTexture,
    GenTextures,
    TexParameter,
    PixelStore,
    TexImage2D,
    PushMatrix,
    PopMatrix,
    Translate,
    Scale,
    Rotate,
    LoadIdentity,
    MatrixMode,
    Ortho,
    Viewport,
    Enable,
    Disable,
    BlendFunc,
    ShadeModel,
    Clear,
    ClearColor,
    Finish,
};

struct Call {
    Op op;
    GLenum target = 0;                 // mode, target, capability or parameter name
    std::int64_t i[4] = {0, 0, 0, 0};  // integer arguments (texture names, sizes, values)
    float f[6] = {0, 0, 0, 0, 0, 0};   // float arguments as passed
};

// A vertex as it reached the screen: object coordinates, their image under the
// modelview matrix (canvas units), and the state that came with it.
struct Vertex {
    float x, y, z;     // as passed to glVertex
    float cx, cy, cz;  // transformed by the current modelview matrix
    float s, t;        // current texture coordinate
    float nx, ny, nz;  // current normal
    std::array<float, 4> color;
    GLuint texture;  // texture bound to GL_TEXTURE_2D
};

struct Texture {
    std::map<GLenum, GLint> parameters;
    GLint width = 0, height = 0;
    GLint internal_format = 0;
    GLenum format = 0, type = 0;
    std::vector<std::uint8_t> pixels;  // copy of the uploaded level 0 (RGBA bytes)
};

struct State {
    std::vector<Call> calls;
    std::vector<Vertex> vertices;      // every vertex, in order
    std::vector<Matrix> modelview{1};  // stack; back() is current
    std::vector<Matrix> projection{1};
    GLenum matrix_mode = GL_MODELVIEW;
    std::array<float, 4> color{1, 1, 1, 1};
    float s = 0, t = 0, nx = 0, ny = 0, nz = 1;
    GLuint bound_texture = 0;
    GLuint next_texture_name = 1;
    std::map<GLuint, Texture> textures;
    GLint unpack_alignment = 4;
    GLint viewport[4] = {0, 0, 0, 0};
    std::map<GLenum, bool> enabled;
    int open_begin = -1;  // mode of the open glBegin, or -1
    int max_modelview_depth = 1;
};

// The recorder's state; reset() brings it back to a fresh context.
State& state();
void reset();

Matrix identity();

// Calls of one kind, in order.
std::vector<Call> calls_of(Op op);
int count(Op op);
// A readable one-line name of a call, for failure messages and sequence checks.
std::string describe(const Call& call);
// The sequence of operations, as names, e.g. {"BindTexture 5", "Begin QUADS", ...}.
std::vector<std::string> trace();

// Quads drawn, as groups of four vertices, in drawing order.
struct Quad {
    std::array<Vertex, 4> v;
    float min_x() const;
    float max_x() const;
    float min_y() const;
    float max_y() const;
};
std::vector<Quad> quads();

}  // namespace gl_recorder
