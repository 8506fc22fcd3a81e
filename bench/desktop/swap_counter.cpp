// Counts the frames the show presents, for bench/desktop/onscreen_fps.sh.
// Preloaded (LD_PRELOAD) into the show, it counts the program's buffer swaps
// over INVITATION_FPS_SECONDS (default 10) after a warm-up of
// INVITATION_FPS_WARMUP_SECONDS (default 3), then writes one line to the file
// INVITATION_FPS_REPORT:
//   frames N seconds S cpu_ms C
// N frames presented in S seconds of wall time, C milliseconds of CPU time the
// whole process (llvmpipe's threads included) spent in them. The show runs on
// until the bench ends it.
#include <dlfcn.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

using Clock = std::chrono::steady_clock;

double seconds_setting(const char* name, double fallback) {
    const char* text = std::getenv(name);
    if (text == nullptr || *text == '\0') return fallback;
    const double value = std::strtod(text, nullptr);
    return value > 0.0 ? value : fallback;
}

double cpu_ms() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

struct Count {
    bool started = false;
    bool reported = false;
    Clock::time_point first_swap;
    Clock::time_point span_start;
    double span_cpu_start = 0.0;
    long frames = 0;
};

void count_swap(Count& count) {
    const auto now = Clock::now();
    if (count.reported) return;
    if (count.first_swap == Clock::time_point{}) count.first_swap = now;
    const double warmup = seconds_setting("INVITATION_FPS_WARMUP_SECONDS", 3.0);
    const double span = seconds_setting("INVITATION_FPS_SECONDS", 10.0);
    if (!count.started) {
        if (std::chrono::duration<double>(now - count.first_swap).count() < warmup) return;
        count.started = true;
        count.span_start = now;
        count.span_cpu_start = cpu_ms();
        return;
    }
    ++count.frames;
    const double elapsed = std::chrono::duration<double>(now - count.span_start).count();
    if (elapsed < span) return;
    count.reported = true;
    const char* path = std::getenv("INVITATION_FPS_REPORT");
    if (path == nullptr) return;
    if (std::FILE* file = std::fopen(path, "w")) {
        std::fprintf(file, "frames %ld seconds %.3f cpu_ms %.1f\n", count.frames, elapsed,
                     cpu_ms() - count.span_cpu_start);
        std::fclose(file);
    }
}

}  // namespace

extern "C" void SDL_GL_SwapBuffers() {
    static Count count;
    reinterpret_cast<void (*)()>(dlsym(RTLD_NEXT, "SDL_GL_SwapBuffers"))();
    count_swap(count);
}
