// Stand-in frame until the effects land: a black canvas.
#include "render/frame.h"

#include <SDL.h>
#include <SDL_opengl.h>

void render_frame() {
    glClear(GL_COLOR_BUFFER_BIT);
    glClear(GL_DEPTH_BUFFER_BIT);
    SDL_GL_SwapBuffers();
}
