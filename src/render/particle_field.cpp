// The rising particle field: particles appear in the spawn row, climb 2, 3 or 4
// rows per frame by column and leave at the top; fifteen columns carry a spinning
// cube on their highest particle.
#include "render/particle_field.h"

#include <SDL_opengl.h>

#include <cassert>
#include <cmath>
#include <cstring>

#include "assets/asset_table.h"
#include "render/particle_random.h"
#include "render/primitives.h"
#include "runtime/beat_clock.h"

ParticleField particle_field;

// In place: the field is too large for a temporary on a small stack (the browser's).
void reset_particle_field() { std::memset(&particle_field, 0, sizeof particle_field); }

namespace {

constexpr std::uint8_t particle = 1;  // the only cell value that counts
constexpr int spawns_per_call = 8;
constexpr int spawn_row = 378;  // canvas y = 756
constexpr int first_live_row = 1;
constexpr int first_live_column = 1;
constexpr int last_live_column = 510;
constexpr int step_classes = 3;  // column j moves by 2 + j mod 3 rows
constexpr int base_step_rows = 2;
constexpr float cell_units = 2.0f;  // canvas units per grid cell
constexpr float particle_side = 2.0f;
constexpr int cube_column_spacing = 32;
constexpr float cube_half_size = 8.0f;
constexpr float cube_axis_x = 1.0f;
constexpr float cube_axis_y = 0.25f;
constexpr float cube_axis_z = 0.25f;
constexpr double turns_per_beat_per_class = 0.25;  // class e turns (e + 1) / 4 per beat
constexpr float particle_red = 1.0f;
constexpr float particle_green = 1.0f;
constexpr float particle_blue = 1.0f;
constexpr float particle_alpha = 0.5f;

constexpr float degrees_per_turn = 360.0f;

static_assert(spawn_row < particle_rows && last_live_column < particle_columns);
// The generator's range must hold a whole multiple of the column count so that
// a value % particle_columns is uniform.
static_assert(particle_random_range % particle_columns == 0);

void spawn_particles() {
    for (int k = 0; k < spawns_per_call; ++k)
        particle_field.cells[spawn_row][next_particle_random() % particle_columns] = particle;
}

// The first particle in [from, end), or null.
std::uint8_t* next_particle(std::uint8_t* from, std::uint8_t* end) {
    return static_cast<std::uint8_t*>(std::memchr(from, particle, static_cast<std::size_t>(end - from)));
}

void draw_cube(int row, int column, TextureRecord texture, float angle) {
    glPushMatrix();
    glTranslatef(cell_units * static_cast<float>(column), cell_units * static_cast<float>(row), 0.0f);
    glRotatef(angle, cube_axis_x, cube_axis_y, cube_axis_z);
    draw_textured_cube(texture, cube_half_size);
    glPopMatrix();
}

}  // namespace

float spin_angle_degrees(double turns_per_beat) {
    const float turns = scaled_beats(turns_per_beat);
    const float fraction = turns - std::floor(turns);
    return degrees_per_turn * fraction;
}

void draw_particle_field() {
    glColor4f(particle_red, particle_green, particle_blue, particle_alpha);
    spawn_particles();

    const TextureRecord cube_textures[step_classes] = {cube_texture_a, cube_texture_b, cube_texture_c};
    float cube_angles[step_classes];
    for (int e = 0; e < step_classes; ++e) cube_angles[e] = spin_angle_degrees((e + 1) * turns_per_beat_per_class);
    bool cube_drawn[particle_columns] = {};

    // Top row first: a particle always moves into rows the scan has passed, so each
    // one is moved and drawn exactly once per call.
    for (int i = first_live_row; i <= spawn_row; ++i) {
        std::uint8_t* row = particle_field.cells[i];
        std::uint8_t* const live_end = row + last_live_column + 1;
        // Most cells are empty: jump from particle to particle, left to right. Moves
        // only write rows above, so the rest of this row is as the scan found it.
        for (std::uint8_t* cell = next_particle(row + first_live_column, live_end); cell != nullptr;
             cell = next_particle(cell + 1, live_end)) {
            const int j = static_cast<int>(cell - row);
            const int e = j % step_classes;
            const int destination = i - base_step_rows - e;
            if (destination >= first_live_row) {
                assert(destination < i);
                particle_field.cells[destination][j] = particle;
            }
            *cell = 0;
            draw_centered_rect(cell_units * static_cast<float>(j), cell_units * static_cast<float>(i), particle_side,
                               particle_side);
            // The cube rides the first particle met in its column: the topmost.
            if (j % cube_column_spacing == 0 && !cube_drawn[j]) {
                cube_drawn[j] = true;
                draw_cube(i, j, cube_textures[e], cube_angles[e]);
            }
        }
    }
}
