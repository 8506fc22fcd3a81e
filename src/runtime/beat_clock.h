// The beat clock: every visual event is placed on it. It runs from the SDL
// millisecond tick counter at a fixed tempo equal to the music's, and is written
// once per main-loop turn, before the frame is drawn.
#pragma once
#include <cstdint>

constexpr float show_bpm = 120.0f;
constexpr double ms_per_minute = 60000.0;
constexpr std::uint32_t skip_ms = 10000;            // the S key moves the clock this far ahead
constexpr std::int64_t max_elapsed_ms = INT32_MAX;  // the largest elapsed_ms a signed 32-bit count holds

extern float bpm;                  // beats per minute, 120 for the whole run
extern std::uint32_t start_ticks;  // tick count at which clock and music started
extern std::int32_t elapsed_ms;    // ticks since start_ticks, modulo 2^32, signed
extern float timing_beats;         // elapsed_ms * bpm / 60000
extern float beat_fraction;        // timing_beats - floor(timing_beats), in [0, 1)

// Sets bpm to 120 and starts counting from `ticks`.
void start_beat_clock(std::uint32_t ticks);
// Recomputes elapsed_ms, timing_beats and beat_fraction for tick count `ticks`.
void update_beat_clock(std::uint32_t ticks);
// Moves start_ticks 10 s earlier (wrapping modulo 2^32): the show jumps 20 beats.
void skip_beat_clock();

// Beats elapsed, scaled by `factor`: elapsed_ms * bpm * factor / 60000 formed in
// double and stored in single precision (0.5 gives pairs of beats, 0.25 quarter turns
// per beat).
float scaled_beats(double factor);

// A beat position as whole milliseconds: beats * 60000 / bpm formed in double,
// stored in single precision and truncated toward zero.
std::int32_t beats_to_ms(float beats);

// 0-to-1 envelope over `length_beats` beats from `start_beat`, on whole milliseconds:
// 0 while elapsed_ms <= start, 1 once elapsed_ms > start + length, linear between.
float beat_ramp(float start_beat, float length_beats);
// True while the ramp is under way: start < elapsed_ms <= start + length.
bool beat_ramp_running(float start_beat, float length_beats);

// Non-negative remainder, for indices derived from the clock (palette entries,
// grid rows), which must stay in range even if elapsed_ms turns negative.
constexpr std::int64_t wrap_index(std::int64_t value, std::int64_t count) {
    std::int64_t r = value % count;
    return r < 0 ? r + count : r;
}
