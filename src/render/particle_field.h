// The rising particle field, advanced one step and drawn once per frame.
#pragma once
#include <cstdint>

constexpr int particle_rows = 384;
constexpr int particle_columns = 512;

// One byte per 2 x 2 canvas cell, row 0 at the top; 1 is a particle.
struct ParticleField {
    std::uint8_t cells[particle_rows][particle_columns];
};
extern ParticleField particle_field;

// Empties the field, as a fresh process has it.
void reset_particle_field();

void draw_particle_field();

// Angle in degrees of a cube turning `turns_per_beat` times per beat at the current
// clock time: the turn count is formed in double precision and kept in single
// precision, and so is its fraction. Shared by the field's cubes and the big cube.
float spin_angle_degrees(double turns_per_beat);
