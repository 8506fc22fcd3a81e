// Frame times of a sequence and the matching sound sample positions.
#include "capture_timing.h"

#include <cassert>

#include "runtime/sound_format.h"

std::int64_t sequence_frame_count(std::int32_t from_ms, std::int32_t to_ms, int fps) {
    assert(from_ms <= to_ms && fps > 0);
    // floor(k * 1000 / F) <= B - A  <=>  k * 1000 < (B - A + 1) * F
    const std::int64_t span = static_cast<std::int64_t>(to_ms) - from_ms + 1;
    return (span * fps + ms_per_second - 1) / ms_per_second;
}

std::int32_t sequence_frame_time(std::int32_t from_ms, std::int64_t frame, int fps) {
    assert(frame >= 0 && fps > 0);
    return static_cast<std::int32_t>(from_ms + frame * ms_per_second / fps);
}

std::int64_t sample_at_ms(std::int64_t ms) {
    assert(ms >= 0);
    return ms * audio_rate / ms_per_second;
}

std::int64_t sample_after_frames(std::int32_t from_ms, std::int64_t frames, int fps) {
    assert(frames >= 0 && fps > 0);
    // (A + frames / F seconds) * rate, in whole samples, without rounding in between.
    const std::int64_t ms_times_fps = static_cast<std::int64_t>(from_ms) * fps + frames * ms_per_second;
    return ms_times_fps * audio_rate / (ms_per_second * fps);
}
