// The show's module: 33 orders of 16 beats at tempo 120, composed here.
#pragma once
#include <array>
#include <cstdint>

#include "xm_module.h"

namespace song {

constexpr int tempo = 120;
constexpr int opening_speed = 6;  // orders 0 and 1: 64 rows of 4 to a beat
constexpr int main_speed = 3;     // every other order: 128 rows of 8 to a beat
constexpr int opening_rows = 64;
constexpr int main_rows = 128;
constexpr int pattern_count = 32;
constexpr int skip_order = 10;  // where the show's skip key sends the music

// Patterns 4 and 5 open the song, then 6, 7, 8, 0..3, 9..26 (26 twice), 27..31.
constexpr std::array<std::uint8_t, 33> order_list{4,  5,  6,  7,  8,  0,  1,  2,  3,  9,  10, 11, 12, 13, 14, 15, 16,
                                                  17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 26, 27, 28, 29, 30, 31};

xm::Module compose();

}  // namespace song
