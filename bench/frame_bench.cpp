// Time of one whole frame (render_frame + glFinish) offscreen at 1024 x 768 over a
// warmed-up particle field, at show times spread over beats 0 to 260, and of the
// particle field alone; each reported as the median per frame. The frame is also
// timed without its buffer swap, to tell drawing from presenting.
// For instructions per frame under callgrind, run the short fixed count (20 frames)
// with rasterizing in the calling thread:
//   SDL_VIDEODRIVER=offscreen LP_NUM_THREADS=0 valgrind --tool=callgrind
//     '--toggle-collect=render_frame*' build/bench/frame_bench
//     --benchmark_filter=whole_frame/frames:20
// then callgrind_annotate --inclusive=no and sum the functions of frame_bench itself.
#include <benchmark/benchmark.h>

#include <SDL_opengl.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <vector>

#include "frame_bench_plan.h"
#include "offscreen_gl.h"
#include "render/frame.h"
#include "render/particle_field.h"
#include "render/particle_random.h"
#include "runtime/beat_clock.h"

namespace {

// Opens the canvas and grows a full field; false (with the state skipped) if no GL.
bool prepare(benchmark::State& state) {
    std::string error;
    if (!open_offscreen_canvas(1024, 768, &error)) {
        state.SkipWithError(error.c_str());
        return false;
    }
    reset_particle_field();
    seed_particle_random(field_seed);
    start_beat_clock(0);
    for (int k = 0; k < warm_up_calls; ++k) draw_particle_field();
    glFinish();
    return true;
}

template <typename Draw>
void time_frames(benchmark::State& state, Draw draw) {
    if (!prepare(state)) return;
    std::vector<double> frame_ms;
    std::int64_t n = 0;
    for (auto _ : state) {
        update_beat_clock(show_ms(n++));
        const auto begin = std::chrono::steady_clock::now();
        draw();
        glFinish();
        frame_ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count());
    }
    std::nth_element(frame_ms.begin(), frame_ms.begin() + frame_ms.size() / 2, frame_ms.end());
    state.counters["median_ms"] = frame_ms[frame_ms.size() / 2];
}

void whole_frame(benchmark::State& state) { time_frames(state, render_frame); }
void composed_without_swap(benchmark::State& state) { time_frames(state, draw_frame); }
void particle_field_only(benchmark::State& state) { time_frames(state, draw_particle_field); }

}  // namespace

BENCHMARK(whole_frame)->Iterations(600)->Unit(benchmark::kMillisecond);
BENCHMARK(composed_without_swap)->Iterations(600)->Unit(benchmark::kMillisecond);
BENCHMARK(particle_field_only)->Iterations(600)->Unit(benchmark::kMillisecond);
// A short run for instruction counts under callgrind.
BENCHMARK(whole_frame)->Name("whole_frame/frames:20")->Iterations(20)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
