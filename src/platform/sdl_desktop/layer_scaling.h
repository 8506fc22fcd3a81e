// Drawing straight into the window, or through the scaling buffer of the SDL 1.2
// compatibility layer (SDL 1.2 over SDL2). The layer draws an OpenGL program into
// a buffer of its own and scales that onto the window at every swap, so that a
// full-screen mode the desktop is not in shows letterboxed in the desktop's own
// mode. Where the window already has the size asked for, the copy only costs
// time: a third of a frame with a software rasterizer. The layer reads its
// setting, SDL12COMPAT_OPENGL_SCALING, when SDL's video starts; a value the
// viewer set always stands.
#pragma once
#include "runtime/platform.h"  // VideoRequest

// The layer's setting, and its own setting for enlarging or shrinking windows.
constexpr const char* layer_scaling_variable = "SDL12COMPAT_OPENGL_SCALING";
constexpr const char* layer_window_scaling_variable = "SDL12COMPAT_WINDOW_SCALING";

// The desktop's size as SDL reports it before a mode is set; 0 x 0 when unknown.
struct DesktopSize {
    int width;
    int height;
};
constexpr DesktopSize unknown_desktop{0, 0};

// True when `request` needs the layer's scaling:
// - full screen at any size but the desktop's own: the desktop keeps its mode and
//   the 4:3 picture is letterboxed in it. Without the scaling the layer would
//   switch the display into the asked mode, which it may not have, and which a
//   wide monitor may stretch. A mode merely listed by the display is not enough;
//   an unknown desktop size keeps the scaling too.
// - a window the viewer asked the layer to resize (`window_scaling`, the value of
//   SDL12COMPAT_WINDOW_SCALING, null when unset): the layer resizes windows only
//   through its buffer. Any other window has the size asked for.
bool layer_scaling_needed(const VideoRequest& request, DesktopSize desktop, const char* window_scaling);

// True for the version numbers the compatibility layer reports (1.2.50 and up);
// SDL 1.2 itself ended at 1.2.15.
bool is_compat_layer_version(int major, int minor, int patch);

// Before SDL's video starts: sets the layer's scaling for `request` as far as it
// can be decided without the desktop's size. A window is decided; full screen
// keeps the scaling until choose_layer_scaling_again.
void choose_layer_scaling(const VideoRequest& request);

// Once video runs and before the mode is set, with the desktop's size: true when
// that size changed the decision on the compatibility layer, so that video has
// to restart for the layer to read it. Never true on SDL 1.2 itself.
bool choose_layer_scaling_again(const VideoRequest& request, DesktopSize desktop);
