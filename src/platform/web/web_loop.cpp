// The show's main loop in the browser. A turn may not block there, so the
// desktop's 10 ms pause is left out: the browser's frame callback
// (requestAnimationFrame, through emscripten_set_main_loop) paces the turns
// instead, at the display's rate, and pauses them while the page is hidden. Each
// turn draws one frame, so the particle field still advances once per frame.
#include "platform/web/web_loop.h"

#include <SDL_mixer.h>
#include <emscripten.h>

#include "runtime/main_loop.h"
#include "platform/web/web_canvas.h"
#include "platform/web/web_page.h"

namespace {

// Lets the browser choose the rate: its frame callback.
constexpr int browser_frame_rate = 0;

// As the desktop's shutdown, without SDL_Quit, which the emulation ignores: the
// audio device closes, which ends the music, and the page takes over.
void end_show() {
    emscripten_cancel_main_loop();
    Mix_CloseAudio();
    page_show_ended();
}

void turn() {
    fit_canvas_to_page();
    if (run_unpaused_turn()) end_show();
}

}  // namespace

void run_web_main_loop() { emscripten_set_main_loop(turn, browser_frame_rate, false); }
