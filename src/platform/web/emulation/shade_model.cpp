// glShadeModel for the browser build. WebGL always blends a primitive's vertex
// colours across it, which is OpenGL's GL_SMOOTH, the one model the show sets;
// the emulation's own glShadeModel does nothing but print a notice. Flat shading
// cannot be had this way, so asking for it is a fault.
#include <SDL_opengl.h>

#include <cassert>

extern "C" void glShadeModel(GLenum mode) {
    assert(mode == GL_SMOOTH && "the browser build shades smoothly only");
    (void)mode;
}
