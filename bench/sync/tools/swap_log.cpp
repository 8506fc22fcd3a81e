// Preloaded into the desktop show (LD_PRELOAD) by the sync bench's self-check:
// writes CLOCK_MONOTONIC in ns as each buffer swap returns, one line a frame, to
// the file INVITATION_SWAP_LOG. The bench compares these true frame times with
// the ones it infers from the authoring lines alone.
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

std::FILE* log_file() {
    static std::FILE* file = [] {
        const char* path = std::getenv("INVITATION_SWAP_LOG");
        return path ? std::fopen(path, "w") : nullptr;
    }();
    return file;
}

}  // namespace

extern "C" void SDL_GL_SwapBuffers() {
    static auto next = reinterpret_cast<void (*)()>(dlsym(RTLD_NEXT, "SDL_GL_SwapBuffers"));
    next();
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    if (std::FILE* file = log_file()) {
        std::fprintf(file, "%lld\n", static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec);
        std::fflush(file);
    }
}
