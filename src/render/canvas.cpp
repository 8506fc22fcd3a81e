// Where the canvas lands in a window of any shape.
#include "render/canvas.h"

#include <cassert>
#include <cstdint>

CanvasArea canvas_area(int width, int height, CanvasFit fit) {
    assert(width > 0 && height > 0);
    if (fit == CanvasFit::stretch) return {0, 0, width, height};
    // Wider than 4:3: bars left and right; taller: bars above and below. The
    // products are formed in 64 bits, so any window size is safe.
    const std::int64_t w = width, h = height;
    const std::int64_t canvas_w = static_cast<std::int64_t>(canvas_width),
                       canvas_h = static_cast<std::int64_t>(canvas_height);
    if (w * canvas_h > h * canvas_w) {
        const int fitted = static_cast<int>((h * canvas_w + canvas_h / 2) / canvas_h);
        return {(width - fitted) / 2, 0, fitted, height};
    }
    const int fitted = static_cast<int>((w * canvas_h + canvas_w / 2) / canvas_w);
    return {0, (height - fitted) / 2, width, fitted};
}
