// The beat clock at a given millisecond, for tests.
#include "show_clock.h"

#include "runtime/beat_clock.h"

void set_clock_ms(std::int64_t ms) {
    start_beat_clock(0);
    update_beat_clock(static_cast<std::uint32_t>(ms));
}
