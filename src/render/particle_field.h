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

void draw_particle_field();
