// The frame composition: the scene timeline, drawn back to front.
#pragma once

// Draws one complete frame from the beat clock and presents it.
void render_frame();
// The same frame drawn into the back buffer without presenting it, so that what
// was drawn can be read back before the swap.
void draw_frame();
