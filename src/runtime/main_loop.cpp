// The main loop and its input handling.
#include "runtime/main_loop.h"

#include <SDL_mixer.h>

#include <cstdio>

#include "render/frame.h"
#include "runtime/beat_clock.h"
#include "runtime/sound.h"

// The authoring lines: pressing T prints the first half, any key release the
// second, so holding T prints the beat interval it was held. Flushed at once so
// they arrive through a pipe while the show runs.
static void print_press_time() {
    std::printf("|| timing_beats > %f && timing_beats <= ", timing_beats);
    std::fflush(stdout);
}

static void print_release_time() {
    std::printf("%f\n", timing_beats);
    std::fflush(stdout);
}

static void skip_ahead() {
    skip_beat_clock();
    if (Mix_PlayingMusic()) Mix_SetMusicPosition(skip_music_order);
}

bool handle_event(const SDL_Event& event) {
    switch (event.type) {
    case SDL_KEYDOWN:
        switch (event.key.keysym.sym) {
        case SDLK_ESCAPE: return true;
        case SDLK_t: print_press_time(); break;
        case SDLK_s: skip_ahead(); break;
        default: break;
        }
        return false;
    case SDL_KEYUP: print_release_time(); return false;
    case SDL_MOUSEBUTTONDOWN: return event.button.button == SDL_BUTTON_RIGHT;
    case SDL_QUIT: return true;
    default: return false;
    }
}

bool drain_events() {
    // The quit request is looked at only once the queue is empty, so events queued
    // behind it are still handled.
    bool quit = false;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (handle_event(event)) quit = true;
    }
    return quit;
}

bool run_loop_turn() {
    listen_for_beat_zero();
    update_beat_clock(SDL_GetTicks());
    render_frame();
    SDL_Delay(loop_pause_ms);
    return drain_events();
}

bool run_unpaused_turn() {
    listen_for_beat_zero();
    update_beat_clock(SDL_GetTicks());
    render_frame();
    return drain_events();
}

void run_main_loop() {
    while (!run_loop_turn()) {}
}
