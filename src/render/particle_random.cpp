// A linear congruential generator (multiplier 1103515245, increment 12345, modulo
// 2^32); each value is bits 16 to 30 of the new state, whose low bits repeat too
// soon to be used.
#include "render/particle_random.h"

namespace {

constexpr std::uint32_t multiplier = 1103515245u;
constexpr std::uint32_t increment = 12345u;
constexpr int output_shift = 16;

std::uint32_t state = 1;

}  // namespace

void seed_particle_random(std::uint32_t seed) { state = seed; }

int next_particle_random() {
    state = state * multiplier + increment;  // unsigned: wraps modulo 2^32
    return static_cast<int>((state >> output_shift) % particle_random_range);
}
