// Checks an XM module against what the show relies on: tempo 120 throughout,
// no jumps, breaks or pattern delays, orders of whole beats, and a skip target
// that sets its own speed. Header values the show does not depend on give
// warnings.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace xm_check {

// The show's beat clock runs at this tempo; 24 ticks make one beat at any speed.
constexpr int show_tempo = 120;
constexpr int ticks_per_beat = 24;
// The show's skip key sets the music to this order.
constexpr int skip_order = 10;

struct Finding {
    bool fault;  // false: a warning
    std::string text;
};

struct OrderTiming {
    int pattern;
    long start_ticks;
    long ticks;
};

struct CheckReport {
    bool readable = false;
    std::vector<Finding> findings;
    std::vector<OrderTiming> orders;  // empty when the file could not be read
    long pass_ticks = 0;

    bool has_fault() const;
};

CheckReport check_module(const std::uint8_t* bytes, std::size_t size);

}  // namespace xm_check
