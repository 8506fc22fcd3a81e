// The frozen-time view, drawn in slices: the warm-up frames of a still frame are
// drawn as draw_still_frame draws them, in order and each presented, but spread
// over the browser's frames; the page shows how far it has come in between.
#include "platform/web/web_frozen_view.h"

#include <emscripten.h>

#include <cassert>

#include "platform/web/frozen_view_query.h"
#include "platform/web/web_page.h"
#include "runtime/show.h"
#include "runtime/still_frame.h"

namespace {

StillFrame view;
std::int64_t warmup_left = 0;
bool opened = false;
bool drawn = false;

}  // namespace

bool open_frozen_view(std::string_view query, std::string& error) {
    assert(!opened && "one frozen view per page");
    StillFrame read;
    if (!parse_frozen_view_query(query, read, error)) return false;
    int width = 0;
    int height = 0;
    page_canvas_pixels(width, height);
    if (!open_show(width, height, error)) return false;
    view = read;
    warmup_left = view.warmup_frames;
    opened = true;
    seed_still_frame(view);
    return true;
}

std::int64_t frozen_view_warmup_frames() { return view.warmup_frames; }

std::int64_t draw_frozen_view_slice(double budget_ms) {
    assert(opened);
    const double start = emscripten_get_now();
    while (warmup_left > 0) {
        draw_warmup_frames(view, 1);
        --warmup_left;
        if (emscripten_get_now() - start >= budget_ms) break;
    }
    if (warmup_left == 0 && !drawn) {
        draw_show_frame(show_start_ticks + static_cast<std::uint32_t>(view.at_ms));
        present_show_frame();
        drawn = true;
    }
    return warmup_left;
}
