// The progress lines of a capture on standard error: frames written of the total
// with frames per second, or seconds of sound written, each with the time left,
// rewritten in place and ended with a newline.
#pragma once
#include <chrono>
#include <cstdint>

struct ProgressLine {
    std::int64_t total = 0;
    std::chrono::steady_clock::time_point started;
    std::chrono::steady_clock::time_point last_shown;
    std::chrono::steady_clock::duration quiet_for{};  // nothing is shown before this much time has passed
    bool shown = false;
};

// `quiet_for` keeps short work silent (the sound of a short clip takes a blink).
void start_progress(ProgressLine& progress, std::int64_t total,
                    std::chrono::steady_clock::duration quiet_for = std::chrono::steady_clock::duration::zero());
// Frames written: rewrites the line at most a few times a second, and always for the last frame.
void show_progress(ProgressLine& progress, std::int64_t done);
// Sound frames written, of a total in sound frames.
void show_sound_progress(ProgressLine& progress, std::int64_t done);
// Ends the line, so that what follows starts on a line of its own.
void end_progress(ProgressLine& progress);
