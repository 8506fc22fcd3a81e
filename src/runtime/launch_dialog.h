// The launch dialog: resolution and full screen before the show, or Cancel.
#pragma once

// Runs the dialog modally. True for Run (and when no dialog could be shown, in
// which case the display settings keep their values); false for Cancel. On Run it
// may have changed screen_width, screen_height and fullscreen.
bool run_launch_dialog();
