// The show's main loop in the browser.
#pragma once

// Hands the turns to the browser's frame callback and returns at once: one turn
// per frame the browser draws, until a quit request ends the show.
void run_web_main_loop();
