// The beat clock set for a test as the show sets it: a main-loop turn updates the
// clock from the tick counter, with the clock started at tick 0.
#pragma once
#include <cstdint>

// Starts the clock at tick 0 and updates it for tick `ms`, taken modulo 2^32 as
// the tick counter is: a negative `ms` is a clock that many milliseconds behind
// its start. elapsed_ms, timing_beats and beat_fraction then hold that time.
void set_clock_ms(std::int64_t ms);
