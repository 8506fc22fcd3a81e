// The ten text pages, each shown for 20 beats from its start beat.
#pragma once

// Offers every page its turn; at most one is inside its window.
void draw_text_pages();
// Draws one page if the clock lies in its window; does nothing at all otherwise.
void draw_text_page(const char* text, float start_beat);
