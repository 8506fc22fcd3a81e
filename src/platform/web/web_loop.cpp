// The show's main loop in the browser. A turn may not block there, so the
// desktop's 10 ms pause is left out: the browser's frame callback
// (requestAnimationFrame, through emscripten_set_main_loop) paces the turns
// instead, at the display's rate, and pauses them while the page is hidden. Each
// turn draws one frame, so the particle field still advances once per frame.
#include "platform/web/web_loop.h"

#include <emscripten.h>

#include <cassert>
#include <vector>

#include "platform/web/web_canvas.h"
#include "runtime/main_loop.h"

namespace {

// Lets the browser choose the rate: its frame callback.
constexpr int browser_frame_rate = 0;

void (*when_ended)() = nullptr;
// Keys queued as pressed since the last turn, to be released after the next.
std::vector<SDLKey> pressed_keys;

void queue(SDL_Event& event) {
    // The emulation copies the event into its queue; a full queue cannot happen.
    const int pushed = SDL_PushEvent(&event);
    assert(pushed == 0);
    (void)pushed;
}

void queue_key(SDLKey key, bool press) {
    SDL_Event event{};
    event.key.type = press ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.state = press ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = key;
    queue(event);
}

void turn() {
    // A queued press is handled in this turn and its release in the next, as a
    // key held for one frame: the release line shows the clock after the press.
    std::vector<SDLKey> releasing;
    releasing.swap(pressed_keys);
    fit_canvas_to_page();
    if (run_unpaused_turn()) {
        emscripten_cancel_main_loop();
        when_ended();
        return;
    }
    for (SDLKey key : releasing) queue_key(key, false);
}

}  // namespace

void run_web_main_loop(void (*ended)()) {
    assert(ended);
    when_ended = ended;
    pressed_keys.clear();
    emscripten_set_main_loop(turn, browser_frame_rate, false);
}

void discard_queued_events() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {}
}

void queue_key_press(SDLKey key) {
    queue_key(key, true);
    pressed_keys.push_back(key);
}

void queue_quit() {
    SDL_Event event{};
    event.type = SDL_QUIT;
    queue(event);
}
