// The level the show's music is mixed to, measured over one pass as the show
// plays it: as loud as the tracker modules and the video sites it sits beside
// (about -14 LUFS), with room for converters and other players above its peaks.
#pragma once
#include <string>
#include <vector>

#include "loudness_meter.h"

namespace loudness {

constexpr double quietest_lufs = -15.0;
constexpr double loudest_lufs = -13.0;
constexpr double highest_true_peak_dbtp = -1.0;

// One line for each figure outside the targets; none when the level is right.
std::vector<std::string> level_faults(const LoudnessFigures& figures);

}  // namespace loudness
