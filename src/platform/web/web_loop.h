// The show's main loop in the browser, and the page's own ways into it.
#pragma once
#include <SDL.h>

// Hands the turns to the browser's frame callback and returns at once: one turn
// per frame the browser draws, until a quit request ends the show; then the loop
// stops and `ended` is called.
void run_web_main_loop(void (*ended)());

// Drops every event queued so far: keys and clicks that belonged to the page
// before the show ran are not the show's.
void discard_queued_events();

// A press of `key` for the next turn and its release for the one after, as if
// typed: the touch controls' Skip is the S key, release line and all.
void queue_key_press(SDLKey key);
// A quit request for the next turn: the touch controls' End, as Escape.
void queue_quit();
