// The browser's frame benchmark: the desktop's frame_bench plan (frame_bench_plan.h)
// in WebAssembly over the GL emulation and WebGL, on a 1024 x 768 canvas. The page
// (frame_bench.html) calls run_frame_bench; bench/web/frame_bench.mjs drives it
// in headless Chromium and prints its figure next to the desktop's.
#include <SDL.h>
#include <SDL_opengl.h>
#include <emscripten.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "frame_bench_plan.h"
#include "render/frame.h"
#include "render/particle_field.h"
#include "render/particle_random.h"
#include "runtime/beat_clock.h"
#include "runtime/show.h"

namespace {

constexpr int bench_width = 1024;
constexpr int bench_height = 768;

bool prepared = false;

// The show opened on the page's canvas, then a full field.
void prepare() {
    if (prepared) return;
    prepared = true;
    std::string error;
    if (!open_show({.width = bench_width, .height = bench_height}, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return;
    }
    reset_particle_field();
    seed_particle_random(field_seed);
    for (int k = 0; k < warm_up_calls; ++k) draw_particle_field();
    // Solid shapes are drawn when the frame is presented (the browser's immediate
    // mode, src/platform/web/emulation).
    SDL_GL_SwapBuffers();
    glFinish();
}

// Waits until the frame is drawn. WebGL's glFinish may return once the commands
// are handed on; reading a pixel back waits for the rasterizer itself.
void wait_for_the_frame() {
    GLubyte pixel[4];
    glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
}

}  // namespace

// Median time in milliseconds of render_frame and the wait for its pixels over
// `frames` frames.
extern "C" EMSCRIPTEN_KEEPALIVE double run_frame_bench(int frames) {
    prepare();
    std::vector<double> frame_ms;
    for (int n = 0; n < frames; ++n) {
        update_beat_clock(show_ms(n));
        const double begin = emscripten_get_now();
        render_frame();
        wait_for_the_frame();
        frame_ms.push_back(emscripten_get_now() - begin);
    }
    if (frame_ms.empty()) return 0.0;
    std::nth_element(frame_ms.begin(), frame_ms.begin() + frame_ms.size() / 2, frame_ms.end());
    return frame_ms[frame_ms.size() / 2];
}
