// The page schedule: the ten texts of the text pages and the beat each one starts on.
#pragma once

constexpr int page_count = 10;

struct TextPage {
    const char* text;  // page-font characters and newlines, at most 15 columns and 9 lines visible
    float start_beat;
};

// In showing order; each page follows the previous one 20 beats later.
extern const TextPage page_schedule[page_count];
