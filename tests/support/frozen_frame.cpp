// The show's picture held still, for the Xvfb tests that compare what two runs
// put on the screen. Preloaded (LD_PRELOAD) into the show, this library answers
// the show's own calls:
// - SDL_GetTicks: 0 on the first call (the clock's start), INVITATION_FROZEN_AT_MS
//   on every later one, so every frame shows that moment of the show;
// - time: INVITATION_FROZEN_SEED, the particle field's seed;
// - Mix_OpenAudio: refused while INVITATION_FROZEN_AT_MS is set, so the show runs
//   silent and its clock starts at once, at that first call (with sound it
//   would wait for the music to be heard, on a clock that no longer moves);
// - SDL_GL_SwapBuffers: the INVITATION_FROZEN_FRAMES-th frame is presented, then
//   one line "framebuffer N" goes to the file INVITATION_FROZEN_REPORT, N being
//   the framebuffer that frame was drawn into (0 the window's own, any other the
//   compatibility layer's scaling buffer), and the show stops inside the swap,
//   its last frame on the screen, until the test kills it.
// The particle field moves one step per frame, so that frame is the same in
// every run. Calls while a variable is unset, and calls from any library,
// reach the real functions.
#include <GL/gl.h>
#include <dlfcn.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "caller_in_program.h"

namespace {

// GL_DRAW_FRAMEBUFFER_BINDING (OpenGL 3.0), which GL/gl.h may not name.
constexpr GLenum draw_framebuffer_binding = 0x8CA6;

template <typename Function>
Function real(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

// The variable's value as a count, or -1 when unset or not a count.
long long setting(const char* name) {
    const char* text = std::getenv(name);
    if (text == nullptr || *text == '\0') return -1;
    char* end = nullptr;
    const long long value = std::strtoll(text, &end, 10);
    return *end == '\0' && value >= 0 ? value : -1;
}

void report_and_stop(GLint framebuffer) {
    if (const char* path = std::getenv("INVITATION_FROZEN_REPORT")) {
        if (std::FILE* file = std::fopen(path, "w")) {
            std::fprintf(file, "framebuffer %d\n", framebuffer);
            std::fclose(file);
        }
    }
    for (;;) pause();
}

}  // namespace

extern "C" {

std::uint32_t SDL_GetTicks() {
    static bool started = false;
    const long long at_ms = setting("INVITATION_FROZEN_AT_MS");
    if (at_ms < 0 || !caller_in_program(__builtin_return_address(0)))
        return real<std::uint32_t (*)()>("SDL_GetTicks")();
    if (!started) {
        started = true;
        return 0;
    }
    return static_cast<std::uint32_t>(at_ms);
}

int Mix_OpenAudio(int frequency, std::uint16_t format, int channels, int chunk_size) {
    if (setting("INVITATION_FROZEN_AT_MS") >= 0 && caller_in_program(__builtin_return_address(0))) return -1;
    return real<int (*)(int, std::uint16_t, int, int)>("Mix_OpenAudio")(frequency, format, channels, chunk_size);
}

time_t time(time_t* out) {
    const long long seed = setting("INVITATION_FROZEN_SEED");
    if (seed < 0 || !caller_in_program(__builtin_return_address(0))) return real<time_t (*)(time_t*)>("time")(out);
    if (out) *out = static_cast<time_t>(seed);
    return static_cast<time_t>(seed);
}

void SDL_GL_SwapBuffers() {
    static long long presented = 0;
    const long long frames = setting("INVITATION_FROZEN_FRAMES");
    GLint framebuffer = -1;
    glGetIntegerv(draw_framebuffer_binding, &framebuffer);
    real<void (*)()>("SDL_GL_SwapBuffers")();
    if (frames > 0 && ++presented == frames) report_and_stop(framebuffer);
}

}  // extern "C"
