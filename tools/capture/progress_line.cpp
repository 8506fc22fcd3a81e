// Progress reporting for sequences.
#include "progress_line.h"

#include <cstdio>

namespace {
constexpr auto refresh_interval = std::chrono::milliseconds(250);
constexpr int seconds_per_minute = 60;
constexpr int seconds_per_hour = 3600;
}  // namespace

void start_progress(ProgressLine& progress, std::int64_t total) {
    progress = ProgressLine{};
    progress.total = total;
    progress.started = std::chrono::steady_clock::now();
}

void show_progress(ProgressLine& progress, std::int64_t done) {
    const auto now = std::chrono::steady_clock::now();
    if (progress.shown && done < progress.total && now - progress.last_shown < refresh_interval) return;
    progress.last_shown = now;
    progress.shown = true;
    const double seconds = std::chrono::duration<double>(now - progress.started).count();
    const double fps = seconds > 0.0 ? static_cast<double>(done) / seconds : 0.0;
    const auto left = static_cast<long long>(fps > 0.0 ? static_cast<double>(progress.total - done) / fps + 0.5 : 0.0);
    // Trailing blanks wipe what a longer earlier line left.
    std::fprintf(stderr, "\rframe %lld of %lld, %.1f fps, %lld:%02lld:%02lld left   ", static_cast<long long>(done),
                 static_cast<long long>(progress.total), fps, left / seconds_per_hour,
                 left % seconds_per_hour / seconds_per_minute, left % seconds_per_minute);
    std::fflush(stderr);
}

void end_progress(ProgressLine& progress) {
    if (!progress.shown) return;
    std::fputc('\n', stderr);
    std::fflush(stderr);
    progress.shown = false;
}
