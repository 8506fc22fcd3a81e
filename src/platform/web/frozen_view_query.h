// The page address's query for the frozen-time view: at-ms, seed and
// warmup-frames, the values of a still frame under the names a page address
// gives them.
#pragma once
#include <string>
#include <string_view>

#include "runtime/still_frame.h"

// Reads a query such as "at-ms=18600&seed=2008&warmup-frames=200" (without the
// leading '?'). at-ms is required; seed and warm-up default as a still frame's.
// False with one line in `error` for an unknown, repeated, empty or malformed
// parameter or a value out of range; `view` is then the default still frame.
bool parse_frozen_view_query(std::string_view query, StillFrame& view, std::string& error);
