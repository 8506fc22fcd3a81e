// Progress reporting for sequences and sound.
#include "progress_line.h"

#include <cstdio>

#include "runtime/sound_format.h"

namespace {
constexpr auto refresh_interval = std::chrono::milliseconds(250);
constexpr int seconds_per_minute = 60;
constexpr int seconds_per_hour = 3600;

// Whether to rewrite the line now; sets the time it was last shown.
bool due(ProgressLine& progress, std::int64_t done, double& seconds) {
    const auto now = std::chrono::steady_clock::now();
    if (now - progress.started < progress.quiet_for) return false;
    if (progress.shown && done < progress.total && now - progress.last_shown < refresh_interval) return false;
    progress.last_shown = now;
    progress.shown = true;
    seconds = std::chrono::duration<double>(now - progress.started).count();
    return true;
}

// Seconds left at the rate so far, rounded.
long long seconds_left(const ProgressLine& progress, std::int64_t done, double seconds) {
    const double rate = seconds > 0.0 ? static_cast<double>(done) / seconds : 0.0;
    return static_cast<long long>(rate > 0.0 ? static_cast<double>(progress.total - done) / rate + 0.5 : 0.0);
}

void print_left(long long left) {
    // Trailing blanks wipe what a longer earlier line left.
    std::fprintf(stderr, "%lld:%02lld:%02lld left   ", left / seconds_per_hour,
                 left % seconds_per_hour / seconds_per_minute, left % seconds_per_minute);
    std::fflush(stderr);
}
}  // namespace

void start_progress(ProgressLine& progress, std::int64_t total, std::chrono::steady_clock::duration quiet_for) {
    progress = ProgressLine{};
    progress.total = total;
    progress.quiet_for = quiet_for;
    progress.started = std::chrono::steady_clock::now();
}

void show_progress(ProgressLine& progress, std::int64_t done) {
    double seconds = 0.0;
    if (!due(progress, done, seconds)) return;
    const double fps = seconds > 0.0 ? static_cast<double>(done) / seconds : 0.0;
    std::fprintf(stderr, "\rframe %lld of %lld, %.1f fps, ", static_cast<long long>(done),
                 static_cast<long long>(progress.total), fps);
    print_left(seconds_left(progress, done, seconds));
}

void show_sound_progress(ProgressLine& progress, std::int64_t done) {
    double seconds = 0.0;
    if (!due(progress, done, seconds)) return;
    std::fprintf(stderr, "\rsound %lld of %lld s, ", static_cast<long long>(done / audio_rate),
                 static_cast<long long>(progress.total / audio_rate));
    print_left(seconds_left(progress, done, seconds));
}

void end_progress(ProgressLine& progress) {
    if (!progress.shown) return;
    std::fputc('\n', stderr);
    std::fflush(stderr);
    progress.shown = false;
}
