// The frame composition: the scene timeline, drawn back to front.
#pragma once

// Draws one complete frame from the beat clock and presents it.
void render_frame();
