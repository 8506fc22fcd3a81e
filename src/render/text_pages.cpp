// The text pages: each slides down into view over 4 beats, rests for 12 and slides
// on downward out of view over the last 4 of its 20 beats.
#include "render/text_pages.h"

#include <SDL_opengl.h>

#include <cstdint>

#include "assets/asset_table.h"
#include "render/canvas.h"
#include "render/font.h"
#include "render/page_texts.h"
#include "runtime/beat_clock.h"

namespace {

constexpr float page_beats = 20.0f;              // time a page is shown
constexpr float slide_beats = 4.0f;              // entry and exit each take this long
constexpr float exit_after_beats = 16.0f;        // the exit starts this long after the page
constexpr float slide_distance = canvas_height;  // from one canvas height above to one below
constexpr float page_left = 32.0f;               // text origin at rest
constexpr float page_top = 144.0f;
constexpr int page_cell = 48;

}  // namespace

void draw_text_page(const char* text, float start_beat) {
    const std::int32_t window = beats_to_ms(page_beats);
    const std::int32_t start = beats_to_ms(start_beat);
    // Outside its window a page touches no GL state at all.
    if (elapsed_ms <= start || elapsed_ms > start + window) return;

    glPushMatrix();
    if (beat_ramp_running(start_beat, slide_beats)) {
        const float e = beat_ramp(start_beat, slide_beats);
        glTranslatef(0.0f, (1.0f - e) * -slide_distance, 0.0f);
    }
    const float exit_beat = start_beat + exit_after_beats;
    if (beat_ramp_running(exit_beat, slide_beats)) {
        const float q = beat_ramp(exit_beat, slide_beats);
        glTranslatef(0.0f, q * slide_distance, 0.0f);
    }
    // The palette colours every glyph, so no page-level colour is set here.
    glPushMatrix();
    glTranslatef(page_left, page_top, 0.0f);
    draw_text(text, page_font_texture, page_cell, 0.0f, true);
    glPopMatrix();
    glPopMatrix();
}

void draw_text_pages() {
    for (const TextPage& page : page_schedule) draw_text_page(page.text, page.start_beat);
}
