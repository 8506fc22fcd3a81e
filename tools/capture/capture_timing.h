// Where the captured frames and sound samples fall on the show's clock.
#pragma once
#include <cstdint>

constexpr std::int64_t ms_per_second = 1000;

// Frame k of a sequence is taken at elapsed_ms A + floor(k * 1000 / F); the
// sequence holds every such time up to and including B.
std::int64_t sequence_frame_count(std::int32_t from_ms, std::int32_t to_ms, int fps);
std::int32_t sequence_frame_time(std::int32_t from_ms, std::int64_t frame, int fps);

// The sound sample the show plays at `ms` on its clock: music and clock start at
// the same moment, so it is floor(ms * rate / 1000).
std::int64_t sample_at_ms(std::int64_t ms);
// The sample at which a video of `frames` frames at `fps` from `from_ms` ends:
// the sound of a video lasts exactly as long as its pictures.
std::int64_t sample_after_frames(std::int32_t from_ms, std::int64_t frames, int fps);
