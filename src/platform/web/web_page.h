// What the show asks of the page that holds it (web_page.js): the canvas's size
// on screen, and the end of the show.
#pragma once

// The page's canvas element, which the show draws into.
constexpr const char* canvas_selector = "#canvas";

// The canvas's size on the page in device pixels (at least 1 x 1).
void page_canvas_pixels(int& width, int& height);
// Silences what the browser has already queued for the speakers, so the music
// stops at once, and tells the page that the show has ended: it leaves full screen
// and says so.
void page_show_ended();
