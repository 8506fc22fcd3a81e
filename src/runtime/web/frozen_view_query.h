// The page address's query for the frozen-time view: at-ms, seed and
// warmup-frames, meaning what the capture program's --at-ms, --seed and
// --warmup-frames mean, checked against the same ranges.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

struct FrozenView {
    std::int32_t at_ms = 0;
    std::uint32_t seed = 0;
    std::int64_t warmup_frames = 0;
};

// Reads a query such as "at-ms=18600&seed=2008&warmup-frames=200" (without the
// leading '?'). at-ms is required; seed and warm-up default as in the capture
// program. False with one line in `error` for an unknown, repeated, empty or
// malformed parameter or a value out of range.
bool parse_frozen_view_query(std::string_view query, FrozenView& view, std::string& error);
