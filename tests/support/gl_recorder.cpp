// The recording OpenGL stand-in: definitions of the GL entry points the show uses,
// each appending to the log and updating the modelled state.
#include "gl_recorder.h"

#include <cassert>
#include <cmath>
#include <cstring>
#include <sstream>

namespace gl_recorder {

Matrix identity() { return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}; }

static State fresh_state() {
    State s;
    s.modelview = {identity()};
    s.projection = {identity()};
    return s;
}

static State the_state = fresh_state();

State& state() { return the_state; }
void reset() { the_state = fresh_state(); }

static Matrix multiply(const Matrix& a, const Matrix& b) {
    Matrix r{};
    for (int col = 0; col < 4; ++col)
        for (int row = 0; row < 4; ++row) {
            float sum = 0;
            for (int k = 0; k < 4; ++k) sum += a[k * 4 + row] * b[col * 4 + k];
            r[col * 4 + row] = sum;
        }
    return r;
}

static std::vector<Matrix>& current_stack() {
    return the_state.matrix_mode == GL_PROJECTION ? the_state.projection : the_state.modelview;
}

static void apply(const Matrix& m) {
    auto& stack = current_stack();
    stack.back() = multiply(stack.back(), m);
}

static Call& record(Op op, GLenum target = 0) {
    the_state.calls.push_back(Call{op, target});
    return the_state.calls.back();
}

static void emit_vertex(float x, float y, float z) {
    assert(the_state.open_begin >= 0 && "glVertex outside glBegin/glEnd");
    const Matrix& m = the_state.modelview.back();
    Vertex v;
    v.x = x;
    v.y = y;
    v.z = z;
    v.cx = m[0] * x + m[4] * y + m[8] * z + m[12];
    v.cy = m[1] * x + m[5] * y + m[9] * z + m[13];
    v.cz = m[2] * x + m[6] * y + m[10] * z + m[14];
    v.s = the_state.s;
    v.t = the_state.t;
    v.nx = the_state.nx;
    v.ny = the_state.ny;
    v.nz = the_state.nz;
    v.color = the_state.color;
    v.texture = the_state.bound_texture;
    the_state.vertices.push_back(v);
}

std::vector<Call> calls_of(Op op) {
    std::vector<Call> out;
    for (const Call& c : the_state.calls)
        if (c.op == op) out.push_back(c);
    return out;
}

int count(Op op) {
    int n = 0;
    for (const Call& c : the_state.calls) n += c.op == op;
    return n;
}

static const char* op_name(Op op) {
    switch (op) {
    case Op::Begin: return "Begin";
    case Op::End: return "End";
    case Op::Vertex: return "Vertex";
    case Op::TexCoord: return "TexCoord";
    case Op::Normal: return "Normal";
    case Op::Color: return "Color";
    case Op::BindTexture: return "BindTexture";
    case Op::GenTextures: return "GenTextures";
    case Op::TexParameter: return "TexParameter";
    case Op::PixelStore: return "PixelStore";
    case Op::TexImage2D: return "TexImage2D";
    case Op::PushMatrix: return "PushMatrix";
    case Op::PopMatrix: return "PopMatrix";
    case Op::Translate: return "Translate";
    case Op::Scale: return "Scale";
    case Op::Rotate: return "Rotate";
    case Op::LoadIdentity: return "LoadIdentity";
    case Op::MatrixMode: return "MatrixMode";
    case Op::Ortho: return "Ortho";
    case Op::Viewport: return "Viewport";
    case Op::Enable: return "Enable";
    case Op::Disable: return "Disable";
    case Op::BlendFunc: return "BlendFunc";
    case Op::ShadeModel: return "ShadeModel";
    case Op::Clear: return "Clear";
    case Op::ClearColor: return "ClearColor";
    case Op::Finish: return "Finish";
    }
    return "?";
}

std::string describe(const Call& c) {
    std::ostringstream out;
    out << op_name(c.op);
    switch (c.op) {
    case Op::Begin: out << (c.target == GL_QUADS ? " QUADS" : " other"); break;
    case Op::BindTexture: out << ' ' << c.i[0]; break;
    case Op::Vertex:
    case Op::TexCoord:
    case Op::Normal:
    case Op::Color:
    case Op::Translate:
    case Op::Scale:
    case Op::Rotate: {
        const int n = c.op == Op::TexCoord ? 2 : c.op == Op::Rotate || c.op == Op::Color ? 4 : 3;
        for (int k = 0; k < n; ++k) out << ' ' << c.f[k];
        break;
    }
    case Op::Clear: out << ' ' << c.target; break;
    default: break;
    }
    return out.str();
}

std::vector<std::string> trace() {
    std::vector<std::string> out;
    for (const Call& c : the_state.calls) out.push_back(describe(c));
    return out;
}

float Quad::min_x() const { return std::fmin(std::fmin(v[0].cx, v[1].cx), std::fmin(v[2].cx, v[3].cx)); }
float Quad::max_x() const { return std::fmax(std::fmax(v[0].cx, v[1].cx), std::fmax(v[2].cx, v[3].cx)); }
float Quad::min_y() const { return std::fmin(std::fmin(v[0].cy, v[1].cy), std::fmin(v[2].cy, v[3].cy)); }
float Quad::max_y() const { return std::fmax(std::fmax(v[0].cy, v[1].cy), std::fmax(v[2].cy, v[3].cy)); }

std::vector<Quad> quads() {
    std::vector<Quad> out;
    const auto& vs = the_state.vertices;
    for (std::size_t k = 0; k + 3 < vs.size(); k += 4) out.push_back(Quad{{vs[k], vs[k + 1], vs[k + 2], vs[k + 3]}});
    return out;
}

}  // namespace gl_recorder

using namespace gl_recorder;

extern "C" {

void GLAPIENTRY glBegin(GLenum mode) {
    assert(the_state.open_begin < 0 && "nested glBegin");
    record(Op::Begin, mode);
    the_state.open_begin = static_cast<int>(mode);
}

void GLAPIENTRY glEnd() {
    assert(the_state.open_begin >= 0 && "glEnd without glBegin");
    record(Op::End);
    the_state.open_begin = -1;
}

void GLAPIENTRY glVertex2f(GLfloat x, GLfloat y) {
    Call& c = record(Op::Vertex);
    c.f[0] = x;
    c.f[1] = y;
    emit_vertex(x, y, 0);
}

void GLAPIENTRY glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    Call& c = record(Op::Vertex);
    c.f[0] = x;
    c.f[1] = y;
    c.f[2] = z;
    emit_vertex(x, y, z);
}

void GLAPIENTRY glTexCoord2f(GLfloat s, GLfloat t) {
    Call& c = record(Op::TexCoord);
    c.f[0] = s;
    c.f[1] = t;
    the_state.s = s;
    the_state.t = t;
}

void GLAPIENTRY glNormal3f(GLfloat x, GLfloat y, GLfloat z) {
    Call& c = record(Op::Normal);
    c.f[0] = x;
    c.f[1] = y;
    c.f[2] = z;
    the_state.nx = x;
    the_state.ny = y;
    the_state.nz = z;
}

void GLAPIENTRY glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
    Call& c = record(Op::Color);
    c.f[0] = r;
    c.f[1] = g;
    c.f[2] = b;
    c.f[3] = a;
    the_state.color = {r, g, b, a};
}

void GLAPIENTRY glColor3f(GLfloat r, GLfloat g, GLfloat b) { glColor4f(r, g, b, 1.0f); }

void GLAPIENTRY glColor3ub(GLubyte r, GLubyte g, GLubyte b) { glColor4f(r / 255.0f, g / 255.0f, b / 255.0f, 1.0f); }

void GLAPIENTRY glBindTexture(GLenum target, GLuint texture) {
    Call& c = record(Op::BindTexture, target);
    c.i[0] = texture;
    the_state.bound_texture = texture;
}

void GLAPIENTRY glGenTextures(GLsizei n, GLuint* textures) {
    Call& c = record(Op::GenTextures);
    c.i[0] = n;
    for (GLsizei k = 0; k < n; ++k) {
        textures[k] = the_state.next_texture_name++;
        the_state.textures[textures[k]];
    }
}

void GLAPIENTRY glTexParameteri(GLenum target, GLenum name, GLint value) {
    Call& c = record(Op::TexParameter, target);
    c.i[0] = name;
    c.i[1] = value;
    the_state.textures[the_state.bound_texture].parameters[name] = value;
}

void GLAPIENTRY glPixelStorei(GLenum name, GLint value) {
    Call& c = record(Op::PixelStore, name);
    c.i[0] = value;
    if (name == GL_UNPACK_ALIGNMENT) the_state.unpack_alignment = value;
}

void GLAPIENTRY glTexImage2D(GLenum target, GLint level, GLint internal_format, GLsizei width, GLsizei height,
                             GLint border, GLenum format, GLenum type, const GLvoid* pixels) {
    Call& c = record(Op::TexImage2D, target);
    c.i[0] = level;
    c.i[1] = internal_format;
    c.i[2] = width;
    c.i[3] = height;
    c.f[0] = static_cast<float>(border);
    c.f[1] = static_cast<float>(format);
    c.f[2] = static_cast<float>(type);
    Texture& t = the_state.textures[the_state.bound_texture];
    t.width = width;
    t.height = height;
    t.internal_format = internal_format;
    t.format = format;
    t.type = type;
    if (pixels && format == GL_RGBA && type == GL_UNSIGNED_BYTE) {
        const auto* bytes = static_cast<const std::uint8_t*>(pixels);
        t.pixels.assign(bytes, bytes + static_cast<std::size_t>(width) * height * 4);
    } else {
        t.pixels.clear();
    }
}

void GLAPIENTRY glPushMatrix() {
    record(Op::PushMatrix);
    auto& stack = current_stack();
    stack.push_back(stack.back());
    if (the_state.matrix_mode == GL_MODELVIEW && static_cast<int>(stack.size()) > the_state.max_modelview_depth)
        the_state.max_modelview_depth = static_cast<int>(stack.size());
}

void GLAPIENTRY glPopMatrix() {
    record(Op::PopMatrix);
    auto& stack = current_stack();
    assert(stack.size() > 1 && "matrix stack underflow");
    if (stack.size() > 1) stack.pop_back();
}

void GLAPIENTRY glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    Call& c = record(Op::Translate);
    c.f[0] = x;
    c.f[1] = y;
    c.f[2] = z;
    Matrix m = identity();
    m[12] = x;
    m[13] = y;
    m[14] = z;
    apply(m);
}

void GLAPIENTRY glScalef(GLfloat x, GLfloat y, GLfloat z) {
    Call& c = record(Op::Scale);
    c.f[0] = x;
    c.f[1] = y;
    c.f[2] = z;
    Matrix m = identity();
    m[0] = x;
    m[5] = y;
    m[10] = z;
    apply(m);
}

void GLAPIENTRY glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
    Call& c = record(Op::Rotate);
    c.f[0] = angle;
    c.f[1] = x;
    c.f[2] = y;
    c.f[3] = z;
    const double len = std::sqrt(double(x) * x + double(y) * y + double(z) * z);
    if (len == 0) return;
    const double ux = x / len, uy = y / len, uz = z / len;
    const double a = angle * M_PI / 180.0, co = std::cos(a), si = std::sin(a), t = 1 - co;
    Matrix m = identity();
    m[0] = float(t * ux * ux + co);
    m[4] = float(t * ux * uy - si * uz);
    m[8] = float(t * ux * uz + si * uy);
    m[1] = float(t * ux * uy + si * uz);
    m[5] = float(t * uy * uy + co);
    m[9] = float(t * uy * uz - si * ux);
    m[2] = float(t * ux * uz - si * uy);
    m[6] = float(t * uy * uz + si * ux);
    m[10] = float(t * uz * uz + co);
    apply(m);
}

void GLAPIENTRY glLoadIdentity() {
    record(Op::LoadIdentity);
    current_stack().back() = identity();
}

void GLAPIENTRY glMatrixMode(GLenum mode) {
    record(Op::MatrixMode, mode);
    the_state.matrix_mode = mode;
}

void GLAPIENTRY glOrtho(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
    Call& c = record(Op::Ortho);
    c.f[0] = float(l);
    c.f[1] = float(r);
    c.f[2] = float(b);
    c.f[3] = float(t);
    c.f[4] = float(n);
    c.f[5] = float(f);
    Matrix m = identity();
    m[0] = float(2 / (r - l));
    m[5] = float(2 / (t - b));
    m[10] = float(-2 / (f - n));
    m[12] = float(-(r + l) / (r - l));
    m[13] = float(-(t + b) / (t - b));
    m[14] = float(-(f + n) / (f - n));
    apply(m);
}

void GLAPIENTRY glViewport(GLint x, GLint y, GLsizei w, GLsizei h) {
    Call& c = record(Op::Viewport);
    c.i[0] = x;
    c.i[1] = y;
    c.i[2] = w;
    c.i[3] = h;
    the_state.viewport[0] = x;
    the_state.viewport[1] = y;
    the_state.viewport[2] = w;
    the_state.viewport[3] = h;
}

void GLAPIENTRY glEnable(GLenum cap) {
    record(Op::Enable, cap);
    the_state.enabled[cap] = true;
}

void GLAPIENTRY glDisable(GLenum cap) {
    record(Op::Disable, cap);
    the_state.enabled[cap] = false;
}

GLboolean GLAPIENTRY glIsEnabled(GLenum cap) { return the_state.enabled[cap] ? GL_TRUE : GL_FALSE; }

void GLAPIENTRY glBlendFunc(GLenum source, GLenum destination) {
    Call& c = record(Op::BlendFunc, source);
    c.i[0] = destination;
}

void GLAPIENTRY glShadeModel(GLenum mode) { record(Op::ShadeModel, mode); }

void GLAPIENTRY glClear(GLbitfield mask) { record(Op::Clear, mask); }

void GLAPIENTRY glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a) {
    Call& c = record(Op::ClearColor);
    c.f[0] = r;
    c.f[1] = g;
    c.f[2] = b;
    c.f[3] = a;
}

void GLAPIENTRY glFinish() { record(Op::Finish); }
void GLAPIENTRY glFlush() {}
GLenum GLAPIENTRY glGetError() { return GL_NO_ERROR; }
const GLubyte* GLAPIENTRY glGetString(GLenum) { return reinterpret_cast<const GLubyte*>("gl_recorder"); }

void GLAPIENTRY glGetIntegerv(GLenum name, GLint* out) {
    switch (name) {
    case GL_TEXTURE_BINDING_2D: out[0] = static_cast<GLint>(the_state.bound_texture); break;
    case GL_VIEWPORT: std::memcpy(out, the_state.viewport, sizeof the_state.viewport); break;
    case GL_MODELVIEW_STACK_DEPTH: out[0] = static_cast<GLint>(the_state.modelview.size()); break;
    case GL_UNPACK_ALIGNMENT: out[0] = the_state.unpack_alignment; break;
    case GL_MATRIX_MODE: out[0] = static_cast<GLint>(the_state.matrix_mode); break;
    default: out[0] = 0; break;
    }
}

void GLAPIENTRY glGetFloatv(GLenum name, GLfloat* out) {
    switch (name) {
    case GL_MODELVIEW_MATRIX: std::memcpy(out, the_state.modelview.back().data(), 16 * sizeof(float)); break;
    case GL_PROJECTION_MATRIX: std::memcpy(out, the_state.projection.back().data(), 16 * sizeof(float)); break;
    case GL_CURRENT_COLOR: std::memcpy(out, the_state.color.data(), 4 * sizeof(float)); break;
    default: out[0] = 0; break;
    }
}

void GLAPIENTRY glReadPixels(GLint, GLint, GLsizei w, GLsizei h, GLenum, GLenum, GLvoid* pixels) {
    std::memset(pixels, 0, static_cast<std::size_t>(w) * h * 4);
}

}  // extern "C"
