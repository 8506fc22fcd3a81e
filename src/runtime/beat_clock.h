// The beat clock: every visual event is placed on it. It runs from the SDL
// millisecond tick counter at a fixed tempo equal to the music's, and is written
// once per main-loop turn, before the frame is drawn. With sound, beat 0 is where
// the module's first sample is heard: the clock waits at 0 until the sound says
// when that is, and later readings of the sound correct it by small steps.
#pragma once
#include <cstdint>

constexpr float show_bpm = 120.0f;
constexpr double ms_per_minute = 60000.0;
constexpr std::uint32_t skip_ms = 10000;            // the S key moves the clock this far ahead
constexpr std::int64_t max_elapsed_ms = INT32_MAX;  // the largest elapsed_ms a signed 32-bit count holds
constexpr std::int32_t max_clock_correction_ms = 2;  // the most one turn moves the clock against the ticks
constexpr std::int32_t max_sound_wait_ms = 3000;     // a clock held for the sound starts anyway after this

extern float bpm;                  // beats per minute, 120 for the whole run
extern std::uint32_t start_ticks;  // tick count at which clock and music started
extern std::int32_t elapsed_ms;    // ticks since start_ticks, modulo 2^32, signed
extern float timing_beats;         // elapsed_ms * bpm / 60000
extern float beat_fraction;        // timing_beats - floor(timing_beats), in [0, 1)

// Sets bpm to 120 and starts counting from `ticks`.
void start_beat_clock(std::uint32_t ticks);
// Sets bpm to 120 and holds the clock at beat 0 from `ticks` on, until
// hear_beat_zero_at says when the music is heard; a sound that says nothing for
// max_sound_wait_ms is not waited for longer (later readings still correct it).
void hold_beat_clock(std::uint32_t ticks);
// Beat 0 is heard at tick count `ticks`. The first reading after hold_beat_clock
// places the start there, or at the next update if that has passed already;
// the clock stays at 0 until then. Later readings move the start toward theirs
// by at most max_clock_correction_ms per update and never by more than the ticks
// that passed, so the clock never runs backwards.
void hear_beat_zero_at(std::uint32_t ticks);
// True while the clock waits at beat 0 for the music to be heard.
bool beat_clock_waiting();
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
