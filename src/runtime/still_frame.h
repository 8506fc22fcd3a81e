// A still frame: the show at one moment, as the capture program writes it and the
// page's frozen view shows it: its values, their ranges and the reading of each.
// runtime/show_frames.h draws one: the particle field's generator seeded, a
// number of warm-up frames drawn at that moment to fill the field, then the frame
// itself.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/beat_clock.h"

constexpr std::int64_t max_seed = UINT32_MAX;
constexpr std::int64_t max_warmup_frames = 100000;
constexpr std::uint32_t default_seed = 1;

struct StillFrame {
    std::int32_t at_ms = 0;             // the show's elapsed_ms
    std::uint32_t seed = default_seed;  // the particle field's generator
    std::int64_t warmup_frames = 0;     // frames drawn at at_ms first and dropped
};

enum class StillValue { at_ms, seed, warmup_frames };

// Reads one value of a still frame from `text`, checked against its range (at_ms
// 0 to max_elapsed_ms). The caller names the value as its users write it
// ("--seed" on a command line, "seed" in a page address); an error is one line
// that starts with that name.
bool read_still_value(StillValue value, std::string_view name, std::string_view text, StillFrame& still,
                      std::string& error);
