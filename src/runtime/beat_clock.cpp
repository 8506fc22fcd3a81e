// The beat clock and the beat-based envelope shared by every effect.
#include "runtime/beat_clock.h"

#include <cmath>

float bpm = show_bpm;
std::uint32_t start_ticks = 0;
std::int32_t elapsed_ms = 0;
float timing_beats = 0.0f;
float beat_fraction = 0.0f;

void start_beat_clock(std::uint32_t ticks) {
    bpm = show_bpm;
    start_ticks = ticks;
    elapsed_ms = 0;
    timing_beats = 0.0f;
    beat_fraction = 0.0f;
}

void update_beat_clock(std::uint32_t ticks) {
    // Unsigned subtraction wraps modulo 2^32; the result is read as signed.
    elapsed_ms = static_cast<std::int32_t>(ticks - start_ticks);
    timing_beats = static_cast<float>(static_cast<double>(elapsed_ms) * bpm / ms_per_minute);
    beat_fraction = timing_beats - std::floor(timing_beats);
}

void skip_beat_clock() { start_ticks -= skip_ms; }

float scaled_beats(double factor) {
    return static_cast<float>(static_cast<double>(elapsed_ms) * bpm * factor / ms_per_minute);
}

std::int32_t beats_to_ms(float beats) {
    const float ms = static_cast<float>(static_cast<double>(beats) * ms_per_minute / bpm);
    return static_cast<std::int32_t>(ms);
}

float beat_ramp(float start_beat, float length_beats) {
    const std::int32_t start = beats_to_ms(start_beat);
    const std::int32_t length = beats_to_ms(length_beats);
    if (elapsed_ms <= start) return 0.0f;
    if (elapsed_ms > start + length) return 1.0f;
    return static_cast<float>(elapsed_ms - start) / static_cast<float>(length);
}

bool beat_ramp_running(float start_beat, float length_beats) {
    const std::int32_t start = beats_to_ms(start_beat);
    const std::int32_t length = beats_to_ms(length_beats);
    return start < elapsed_ms && elapsed_ms <= start + length;
}
