// The virtual canvas every drawing happens on: 1024 x 768 units, origin at the
// top left, y growing downwards, depth -4000 to 4000; and how it covers a window
// of another shape.
#pragma once

constexpr float canvas_width = 1024.0f;
constexpr float canvas_height = 768.0f;
constexpr float canvas_depth = 4000.0f;

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
