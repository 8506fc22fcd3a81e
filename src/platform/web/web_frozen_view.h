// The frozen-time view: the one still frame the page's query asks for, drawn a
// slice at a time, so that a long warm-up leaves the page responsive.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// Reads the query (without '?'), opens the show on the page's canvas and seeds the
// particle field's generator. False with one line in `error` for a bad query;
// nothing is drawn or opened then.
bool open_frozen_view(std::string_view query, std::string& error);

// Warm-up frames the view's query asks for.
std::int64_t frozen_view_warmup_frames();

// Draws warm-up frames until `budget_ms` have passed (at least one while any are
// left); once none are left, draws the frame itself and presents it. Returns the
// warm-up frames still to draw: 0 once the frame is drawn.
std::int64_t draw_frozen_view_slice(double budget_ms);
