// Start-up cost of the two largest images of the show: 1024 x 768 and 257 x 600
// RGB pictures, through the whole loader (conversion, resample, upload) on the
// offscreen GL context, and through the conversion and resample alone.
#include <benchmark/benchmark.h>

#include <SDL_opengl.h>

#include <cstdlib>
#include <cstring>

#include "assets/texture_loader.h"
#include "offscreen_gl.h"

namespace {

// A 24-bit RGB image as the PNG decoder delivers it, filled with a varied pattern.
SDL_Surface* make_rgb(int w, int h) {
    SDL_Surface* s = SDL_CreateRGBSurface(SDL_SWSURFACE, w, h, 24, 0x0000FF, 0x00FF00, 0xFF0000, 0);
    auto* bytes = static_cast<Uint8*>(s->pixels);
    for (int i = 0; i < s->pitch * h; ++i) bytes[i] = static_cast<Uint8>(i * 31 + (i >> 9));
    return s;
}

void load_texture_rgb(benchmark::State& state) {
    std::string error;
    if (!open_offscreen_canvas(1024, 768, &error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
    for (auto _ : state) {
        state.PauseTiming();
        SDL_Surface* image = make_rgb(w, h);
        TextureRegistry registry;
        state.ResumeTiming();
        const TextureRecord record = load_texture(image, registry);
        glFinish();  // the upload is done when the driver has taken the pixels
        state.PauseTiming();
        benchmark::DoNotOptimize(record);
        glDeleteTextures(1, &registry.texture_names[0]);
        SDL_FreeSurface(registry.surfaces[0]);
        state.ResumeTiming();
    }
}

void convert_and_resample_rgb(benchmark::State& state) {
    const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
    for (auto _ : state) {
        state.PauseTiming();
        SDL_Surface* image = make_rgb(w, h);
        state.ResumeTiming();
        SDL_Surface* texture_image = to_power_of_two_rgba(image);
        state.PauseTiming();
        benchmark::DoNotOptimize(texture_image->pixels);
        SDL_FreeSurface(texture_image);
        state.ResumeTiming();
    }
}

}  // namespace

BENCHMARK(load_texture_rgb)->Args({1024, 768})->Args({257, 600})->Unit(benchmark::kMillisecond);
BENCHMARK(convert_and_resample_rgb)->Args({1024, 768})->Args({257, 600})->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
