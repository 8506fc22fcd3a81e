// The main loop: update the clock, draw a frame, pause, handle every pending event.
#pragma once
#include <SDL.h>

constexpr Uint32 loop_pause_ms = 10;
// The skip key sets the module to this order (SDL_mixer reads a module position as
// an order index).
constexpr double skip_music_order = 10.0;

// Handles one event; true when it asks the show to end.
bool handle_event(const SDL_Event& event);
// Takes every pending event from the queue; true when any of them asked to quit.
bool drain_events();
// One turn: clock, frame, pause, events. True when the loop must end.
bool run_loop_turn();
// The same turn without the pause, for a platform whose frame callback paces the
// loop (the browser).
bool run_unpaused_turn();
// Turns until a quit request.
void run_main_loop();
