// The particle field's own random generator. The C runtime's rand differs between
// glibc, the Windows runtime and the browser's C library; this one gives the same
// columns for the same seed everywhere, so a seed names the same frames on every
// platform.
#pragma once
#include <cstdint>

// Values run over 0 .. particle_random_range - 1. The range is a whole multiple of
// the field's 512 columns, so value % 512 is uniform.
constexpr int particle_random_range = 32768;

void seed_particle_random(std::uint32_t seed);
int next_particle_random();
