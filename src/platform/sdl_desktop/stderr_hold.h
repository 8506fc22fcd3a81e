// Holding back standard error for a moment. SDL's video drivers print their own
// complaints while SDL looks for a display (libwayland's missing XDG_RUNTIME_DIR,
// for one), and ALSA prints its search for a sound card that is not there; the
// show reports what it found in one line of its own instead, or runs silent.
#pragma once

// Points standard error at the null device; the result is what
// release_stderr needs to bring it back (-1 when nothing was held back).
int hold_stderr();
// Restores standard error as it was before hold_stderr.
void release_stderr(int held);
