// The show opened for drawing alone: a window of a given size with the fixed
// OpenGL state, the projection and the embedded textures, and the beat clock
// started at tick 0, but no launch dialog, no sound and no main loop; single
// frames and still frames drawn on it. The capture
// program, the page (before Run and for its still frame), the offscreen tests and
// the benchmarks all open the show and draw its frames through here; the desktop
// show itself starts in entry.cpp.
#pragma once
#include <cstdint>
#include <string>

#include "runtime/still_frame.h"

// The clock's tick at open_show: ticks passed to draw_show_frame are show time.
constexpr std::uint32_t show_start_ticks = 0;

// How the 4:3 canvas covers a window of another shape: stretched over all of it,
// or letterboxed, the largest 4:3 picture centred with black bars beside or
// above and below it, as the show appears full screen on a wider display.
enum class CanvasFit { stretch, letterbox };

// The part of a width x height window (x from the left, y from the bottom, as
// glViewport takes it) that the canvas covers.
struct CanvasArea {
    int x, y, width, height;
};
CanvasArea canvas_area(int width, int height, CanvasFit fit);

// Starts SDL's video (once per process), opens a width x height window (not full
// screen), sets the fixed GL state and the projection (the canvas placed in the
// window by `fit`), turns the embedded images into textures (once per process)
// and starts the clock. False with one line in `error` when there is no video or
// no OpenGL window of that size.
bool open_show(int width, int height, std::string& error, CanvasFit fit = CanvasFit::stretch);

// Sets the clock as a main-loop turn sets it for tick count `ticks` and draws
// that frame into the back buffer, unpresented: read it back, or present it.
void draw_show_frame(std::uint32_t ticks);

// Presents what was drawn (the buffer swap).
void present_show_frame();

// A still frame on an open show. seed_still_frame seeds the particle field's
// generator: call it right before the first frame, so nothing else draws from
// the generator first. draw_warmup_frames draws `count` frames at still.at_ms and
// presents each, as the show presents every frame it draws (the field advances
// one step per frame). draw_still_frame does both for the whole warm-up, then
// draws the frame itself, left unpresented.
void seed_still_frame(const StillFrame& still);
void draw_warmup_frames(const StillFrame& still, std::int64_t count);
void draw_still_frame(const StillFrame& still);
