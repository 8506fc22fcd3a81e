// The beat clock and the beat-based envelope shared by every effect.
#include "runtime/beat_clock.h"

#include <algorithm>
#include <cmath>

float bpm = show_bpm;
std::uint32_t start_ticks = 0;
std::int32_t elapsed_ms = 0;
float timing_beats = 0.0f;
float beat_fraction = 0.0f;

namespace {

enum class ClockState {
    running,
    waiting_for_sound,  // held at 0: when the music is heard is not yet known
    waiting_for_start,  // held at 0 until the ticks reach start_ticks
};

ClockState state = ClockState::running;
std::uint32_t heard_start_ticks = 0;  // where the sound puts beat 0; start_ticks follows it
bool heard_start_new = false;         // a first reading not yet taken in by an update
std::uint32_t last_ticks = 0;         // the ticks of the last update
std::uint32_t skipped_ms = 0;         // how far the S key moved the clock since it started
std::uint32_t held_ticks = 0;         // when the clock began to wait

// Tick counts wrap modulo 2^32; their differences are read as signed.
std::int32_t ticks_between(std::uint32_t from, std::uint32_t to) { return static_cast<std::int32_t>(to - from); }

void reset_clock(std::uint32_t ticks, ClockState from) {
    bpm = show_bpm;
    start_ticks = ticks;
    heard_start_ticks = ticks;
    heard_start_new = false;
    last_ticks = ticks;
    held_ticks = ticks;
    skipped_ms = 0;
    state = from;
    elapsed_ms = 0;
    timing_beats = 0.0f;
    beat_fraction = 0.0f;
}

// Where start_ticks stands for this update: held, placed, or corrected toward
// what the sound last said.
void follow_heard_start(std::uint32_t ticks) {
    const std::int32_t passed = ticks_between(last_ticks, ticks);
    last_ticks = ticks;
    if (state == ClockState::waiting_for_sound) {
        if (!heard_start_new) {
            start_ticks = ticks;
            if (ticks_between(held_ticks, ticks) >= max_sound_wait_ms) {
                heard_start_ticks = ticks;
                state = ClockState::running;
            }
            return;
        }
        // A start already past is taken from now and caught up with below.
        start_ticks = ticks_between(ticks, heard_start_ticks) > 0 ? heard_start_ticks : ticks;
        heard_start_new = false;
        state = ClockState::waiting_for_start;
        return;
    }
    if (state == ClockState::waiting_for_start) {
        if (ticks_between(ticks, start_ticks) > 0) return;
        state = ClockState::running;
    }
    const std::int32_t gap = ticks_between(start_ticks, heard_start_ticks);
    const std::int32_t most_forward = std::clamp(passed, 0, max_clock_correction_ms);
    start_ticks += static_cast<std::uint32_t>(std::clamp(gap, -max_clock_correction_ms, most_forward));
}

}  // namespace

void start_beat_clock(std::uint32_t ticks) { reset_clock(ticks, ClockState::running); }

void hold_beat_clock(std::uint32_t ticks) { reset_clock(ticks, ClockState::waiting_for_sound); }

void hear_beat_zero_at(std::uint32_t ticks) {
    // The sound still counts from the module's start; the skips stay out of step.
    heard_start_ticks = ticks - skipped_ms;
    if (state == ClockState::waiting_for_sound) heard_start_new = true;
}

bool beat_clock_waiting() { return state != ClockState::running; }

void update_beat_clock(std::uint32_t ticks) {
    follow_heard_start(ticks);
    // Unsigned subtraction wraps modulo 2^32; the result is read as signed. While
    // the clock waits, the start may lie ahead: beat 0 until it is reached.
    elapsed_ms = state == ClockState::running ? ticks_between(start_ticks, ticks) : 0;
    timing_beats = static_cast<float>(static_cast<double>(elapsed_ms) * bpm / ms_per_minute);
    beat_fraction = timing_beats - std::floor(timing_beats);
}

void skip_beat_clock() {
    // A skip while the clock waits starts it: the music has jumped anyway.
    state = ClockState::running;
    heard_start_new = false;
    start_ticks -= skip_ms;
    skipped_ms += skip_ms;
    heard_start_ticks = start_ticks;
}

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
