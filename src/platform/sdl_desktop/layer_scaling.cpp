// Whether the compatibility layer draws through its scaling buffer: the decision,
// and the setting the layer reads when video starts.
#include "platform/sdl_desktop/layer_scaling.h"

#include <SDL.h>

#include <cstdlib>
#include <cstring>

namespace {

// SDL 1.2 itself never got past 1.2.15; the layer counts on from 1.2.50.
constexpr int first_layer_patch = 50;

// The layer enlarges or shrinks windows by this factor; a value it cannot use
// (none, zero, negative, not a number) leaves them at 1.
bool window_resized_by_layer(const char* window_scaling) {
    if (window_scaling == nullptr) return false;
    const double factor = std::strtod(window_scaling, nullptr);
    return factor > 0.0 && factor != 1.0;
}

bool on_compat_layer() {
    const SDL_version* linked = SDL_Linked_Version();
    return linked != nullptr && is_compat_layer_version(linked->major, linked->minor, linked->patch);
}

#if defined(_WIN32)
// The Windows build links SDL 1.2 itself: there is no layer to tell.
void write_setting(const char*) {}
#else
void write_setting(const char* value) { setenv(layer_scaling_variable, value, 1); }
#endif

// Sets the layer's scaling on or off for its next video start, unless the viewer
// set it before the show did; true when the layer will now read another value.
// The show writes only "0" and "1"; unset is the layer's default, on.
bool set_layer_scaling(bool needed) {
    static const bool viewer_chose = std::getenv(layer_scaling_variable) != nullptr;
    if (viewer_chose) return false;
    const char* current = std::getenv(layer_scaling_variable);
    const bool on_now = current == nullptr || std::strcmp(current, "0") != 0;
    if (on_now == needed) return false;
    write_setting(needed ? "1" : "0");
    return true;
}

}  // namespace

bool layer_scaling_needed(const VideoRequest& request, DesktopSize desktop, const char* window_scaling) {
    if (!request.fullscreen) return window_resized_by_layer(window_scaling);
    const bool desktop_known = desktop.width > 0 && desktop.height > 0;
    return !desktop_known || request.width != desktop.width || request.height != desktop.height;
}

bool is_compat_layer_version(int major, int minor, int patch) {
    return major == 1 && minor == 2 && patch >= first_layer_patch;
}

void choose_layer_scaling(const VideoRequest& request) {
    set_layer_scaling(layer_scaling_needed(request, unknown_desktop, std::getenv(layer_window_scaling_variable)));
}

bool choose_layer_scaling_again(const VideoRequest& request, DesktopSize desktop) {
    if (!on_compat_layer()) return false;
    return set_layer_scaling(layer_scaling_needed(request, desktop, std::getenv(layer_window_scaling_variable)));
}
