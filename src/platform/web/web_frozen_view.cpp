// The frozen-time view, drawn in slices: the warm-up frames of a still frame are
// drawn by the still-frame run (runtime/show_frames.h), in order and each
// presented, but spread over the browser's frames; the page shows how far it has
// come in between.
#include "platform/web/web_frozen_view.h"

#include <emscripten.h>

#include <cassert>

#include "platform/web/frozen_view_query.h"
#include "platform/web/web_page.h"
#include "runtime/show.h"
#include "runtime/show_frames.h"

namespace {

StillFrameRun view;
bool opened = false;
bool drawn = false;

// The slice under way: when it began, how long it may take, and the warm-up
// frames left when it began.
double slice_start_ms = 0.0;
double slice_budget_ms = 0.0;
std::int64_t slice_first_left = 0;

// A slice draws at least one frame, then stops once its time is up.
bool slice_over() {
    return view.warmup_left < slice_first_left && emscripten_get_now() - slice_start_ms >= slice_budget_ms;
}

}  // namespace

bool open_frozen_view(std::string_view query, std::string& error) {
    assert(!opened && "one frozen view per page");
    StillFrame read;
    if (!parse_frozen_view_query(query, read, error)) return false;
    int width = 0;
    int height = 0;
    page_canvas_pixels(width, height);
    if (!open_show({.width = width, .height = height}, error)) return false;
    opened = true;
    view = start_still_frame(read);
    return true;
}

std::int64_t frozen_view_warmup_frames() { return view.still.warmup_frames; }

std::int64_t draw_frozen_view_slice(double budget_ms) {
    assert(opened);
    slice_start_ms = emscripten_get_now();
    slice_budget_ms = budget_ms;
    slice_first_left = view.warmup_left;
    if (!warm_up_still_frame(view, slice_over)) return view.warmup_left;
    if (!drawn) {
        draw_still_frame(view);
        present_show_frame();
        drawn = true;
    }
    return 0;
}
