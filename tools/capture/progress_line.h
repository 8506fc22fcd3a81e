// The progress line of a sequence on standard error: frames done of the total,
// frames per second and time left, rewritten in place and ended with a newline.
#pragma once
#include <chrono>
#include <cstdint>

struct ProgressLine {
    std::int64_t total = 0;
    std::chrono::steady_clock::time_point started;
    std::chrono::steady_clock::time_point last_shown;
    bool shown = false;
};

void start_progress(ProgressLine& progress, std::int64_t total);
// Rewrites the line at most a few times a second, and always for the last frame.
void show_progress(ProgressLine& progress, std::int64_t done);
// Ends the line, so that what follows starts on a line of its own.
void end_progress(ProgressLine& progress);
