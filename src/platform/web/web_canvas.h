// The show's video mode in the browser: the drawing buffer takes the canvas's
// size on the page (the picture's 4:3 box) in device pixels, and follows it when
// the window, full screen or the pixel ratio changes it.
#pragma once

// After a change of the page's size: resizes the canvas's drawing buffer and
// stretches the 1024 x 768 canvas over it again. True when it changed.
bool fit_canvas_to_page();
