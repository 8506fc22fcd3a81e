// The frame composition: the scene timeline. From the beat clock alone it decides
// which layers show, where they stand and how far they have faded or slid, and
// draws them back to front: final picture, text pages, particle field, scroller
// bar and text, left border, right panel with its cube.
#include "render/frame.h"

#include <SDL.h>
#include <SDL_opengl.h>

#include <cmath>

#include "assets/asset_table.h"
#include "render/canvas.h"
#include "render/font.h"
#include "render/particle_field.h"
#include "render/primitives.h"
#include "render/scroll_text.h"
#include "render/text_pages.h"
#include "runtime/beat_clock.h"

namespace {

// Entry envelope: bar, field, scroller, border and panel slide in over beats 8 to 16.
constexpr float entry_start_beat = 8.0f;
constexpr float entry_length_beats = 8.0f;
// Picture envelope: the final picture fades in over beats 216 to 224.
constexpr float picture_start_beat = 216.0f;
constexpr float picture_length_beats = 8.0f;

constexpr float picture_x = 16.0f;
constexpr float picture_y = 0.0f;
constexpr float picture_width = 751.0f;
constexpr float picture_height = 704.0f;

constexpr float field_rise = 64.0f;  // the field rises as the bar comes in
constexpr float bar_x = 16.0f;
constexpr float bar_width = 751.0f;
constexpr float bar_height = 64.0f;

constexpr float scroller_rise = 56.0f;
constexpr float scroller_start_beat = 16.0f;  // first character at canvas x 0
constexpr float scroller_units_per_beat = 128.0f;
constexpr float scroller_scale = 0.75f;
constexpr int scroller_cell = 64;
constexpr float flash_share = 0.125f;  // white while the flash phase is below this

constexpr float border_width = 16.0f;

constexpr float big_cube_x = 128.0f;
constexpr float big_cube_y = 672.0f;
constexpr double big_cube_turns_per_beat = 0.25;
constexpr float big_cube_axis_x = 0.5f;
constexpr float big_cube_axis_y = 1.0f;
constexpr float big_cube_axis_z = 0.5f;
constexpr float big_cube_half_size = 48.0f;

// Strictly after beat 216; inside the fade window colour and alpha rise together.
void draw_final_picture() {
    if (!(timing_beats > picture_start_beat)) return;
    if (beat_ramp_running(picture_start_beat, picture_length_beats)) {
        const float p = beat_ramp(picture_start_beat, picture_length_beats);
        glColor4f(p, p, p, p);
    } else {
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    }
    draw_textured_quad(final_picture_texture, picture_x, picture_y, picture_width, picture_height);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

void draw_field(float entry) {
    glPushMatrix();
    glTranslatef(0.0f, -field_rise * entry, 0.0f);
    draw_particle_field();
    glPopMatrix();
}

void draw_scroller_bar(float entry) {
    glColor3f(0.0f, 0.0f, 0.0f);
    draw_rect(bar_x, canvas_height - bar_height * entry, bar_width, bar_height);
}

// White flashes come faster through each beat: white while the fraction of
// elapsed beats x beat fraction is below 1/8, a palette colour otherwise.
void set_scroller_colour() {
    const float flash = scaled_beats(beat_fraction);
    if (flash - std::floor(flash) < flash_share) {
        glColor3f(1.0f, 1.0f, 1.0f);
        return;
    }
    set_palette_colour(static_cast<std::int64_t>(timing_beats * palette_steps_per_beat));
}

void draw_scroller_text(float entry) {
    const float scroll = (timing_beats - scroller_start_beat) * -scroller_units_per_beat;
    glColor3f(1.0f, 1.0f, 1.0f);
    glPushMatrix();
    glTranslatef(scroll, canvas_height - scroller_rise * entry, 0.0f);
    glScalef(scroller_scale, scroller_scale, 1.0f);
    set_scroller_colour();
    // The same translation in the text's own units, for skipping glyphs off screen.
    const float x_offset = (timing_beats - scroller_start_beat) * scroller_units_per_beat / -scroller_scale;
    draw_text(scroll_text, scroller_font_texture, scroller_cell, x_offset, false);
    glPopMatrix();
}

void draw_left_border(float entry) {
    glColor3f(1.0f, 1.0f, 1.0f);
    draw_textured_quad(bar_texture, 0.0f, 0.0f, border_width * entry, canvas_height);
}

// Slides in from the right edge by its own width; the bar strip fills below it.
void draw_right_panel(float entry) {
    const float w = static_cast<float>(panel_texture.width);
    const float h = static_cast<float>(panel_texture.height);
    glPushMatrix();
    glTranslatef(canvas_width - w * entry, 0.0f, 0.0f);
    draw_textured_quad(panel_texture, 0.0f, 0.0f, w, h);
    draw_textured_quad(bar_texture, 0.0f, h, w, canvas_height - h);
    glPushMatrix();
    glTranslatef(big_cube_x, big_cube_y, 0.0f);
    glRotatef(spin_angle_degrees(big_cube_turns_per_beat), big_cube_axis_x, big_cube_axis_y, big_cube_axis_z);
    draw_textured_cube(cube_texture_c, big_cube_half_size);
    glPopMatrix();
    glPopMatrix();
}

}  // namespace

void draw_frame() {
    glClear(GL_COLOR_BUFFER_BIT);
    glClear(GL_DEPTH_BUFFER_BIT);
    const float entry = beat_ramp(entry_start_beat, entry_length_beats);
    draw_final_picture();
    draw_text_pages();
    glColor3f(1.0f, 1.0f, 1.0f);
    draw_field(entry);
    draw_scroller_bar(entry);
    draw_scroller_text(entry);
    draw_left_border(entry);
    draw_right_panel(entry);
}

void render_frame() {
    draw_frame();
    SDL_GL_SwapBuffers();
}
