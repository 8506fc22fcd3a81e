// Frames drawn on an open show (runtime/show.h) at chosen moments rather than by
// the main loop: single frames, and still frames, which the capture program
// writes and the page's frozen view shows.
#pragma once
#include <cstdint>

#include "runtime/still_frame.h"

// The clock's tick at open_show: show time counts from here.
constexpr std::uint32_t show_start_ticks = 0;

// The tick count at which an open show has run `ms` milliseconds (ms >= 0).
std::uint32_t show_ticks(std::int32_t ms);

// Sets the clock as a main-loop turn sets it at `ms` of show time and draws that
// frame into the back buffer, unpresented: read it back, or present it.
void draw_show_frame(std::int32_t ms);

// Presents what was drawn (the buffer swap).
void present_show_frame();

// A still frame under way: its generator seeded, its warm-up frames drawn one by
// one, then the frame itself.
struct StillFrameRun {
    StillFrame still;
    std::int64_t warmup_left = 0;
};

// Seeds the particle field's generator for `still`. Call it right before the
// first frame, so nothing else draws from the generator first.
StillFrameRun start_still_frame(const StillFrame& still);

// Draws warm-up frames at still.at_ms, each presented as the show presents every
// frame it draws (the field advances one step per frame), until none is left or
// `stop`, asked before each frame, says to stop. True once none is left.
bool warm_up_still_frame(StillFrameRun& run, bool (*stop)());

// The still frame itself, once warmed up, into the back buffer, unpresented.
void draw_still_frame(const StillFrameRun& run);
