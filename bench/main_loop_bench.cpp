// Time of one main-loop turn (clock, frame, 10 ms pause, events) offscreen at
// 1024 x 768, as the median over 500 turns.
#include <benchmark/benchmark.h>

#include <SDL.h>
#include <SDL_opengl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "offscreen_gl.h"
#include "render/particle_random.h"
#include "runtime/beat_clock.h"
#include "runtime/main_loop.h"

static void main_loop_turn(benchmark::State& state) {
    std::string error;
    if (!open_offscreen_canvas(1024, 768, &error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    seed_particle_random(1);
    start_beat_clock(SDL_GetTicks());
    std::vector<double> turns_ms;
    for (auto _ : state) {
        const auto begin = std::chrono::steady_clock::now();
        run_loop_turn();
        glFinish();
        turns_ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count());
    }
    std::nth_element(turns_ms.begin(), turns_ms.begin() + turns_ms.size() / 2, turns_ms.end());
    state.counters["median_turn_ms"] = turns_ms[turns_ms.size() / 2];
}
BENCHMARK(main_loop_turn)->Iterations(500)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
