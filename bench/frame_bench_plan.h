// The frame benchmarks' plan, shared by the desktop's (frame_bench.cpp) and the
// browser's (web/frame_bench.cpp), so their figures stand side by side: a full
// particle field grown from one seed, and show times cycling through beats 0 to 260.
#pragma once
#include <cstdint>

#include "runtime/beat_clock.h"

constexpr unsigned field_seed = 2008;
constexpr int warm_up_calls = 200;  // the field is full after 189 calls
constexpr double last_sampled_beat = 260.0;
constexpr int sampled_times = 97;  // a prime, so samples do not fall on whole beats

// Show time of the n-th frame: cycling through beats 0 to 260.
inline std::uint32_t show_ms(std::int64_t n) {
    const double beat = last_sampled_beat * static_cast<double>(n % sampled_times) / (sampled_times - 1);
    return static_cast<std::uint32_t>(beats_to_ms(static_cast<float>(beat)));
}
