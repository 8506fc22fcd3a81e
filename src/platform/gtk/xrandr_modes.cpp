// Display modes of the primary output (or the first connected one), from XRandR,
// in the order the output lists them.
#include "platform/gtk/xrandr_modes.h"

#include <X11/extensions/Xrandr.h>

#include <vector>

#include "runtime/platform.h"

// X11 has no per-mode depth: every mode is offered at the depth the show asks for.
constexpr std::int32_t reported_bits_per_pixel = 32;

static std::vector<PlatformMode> read_modes;

static RROutput chosen_output(Display* display, Window root, XRRScreenResources* resources) {
    const RROutput primary = XRRGetOutputPrimary(display, root);
    RROutput first_connected = None;
    for (int i = 0; i < resources->noutput; ++i) {
        XRROutputInfo* info = XRRGetOutputInfo(display, resources, resources->outputs[i]);
        if (!info) continue;
        const bool connected = info->connection == RR_Connected;
        XRRFreeOutputInfo(info);
        if (!connected) continue;
        if (resources->outputs[i] == primary) return primary;
        if (first_connected == None) first_connected = resources->outputs[i];
    }
    return first_connected;
}

// A crtc turned by a quarter shows the mode with width and height swapped.
static bool turned_sideways(Display* display, XRRScreenResources* resources, RRCrtc crtc) {
    if (crtc == None) return false;
    XRRCrtcInfo* info = XRRGetCrtcInfo(display, resources, crtc);
    if (!info) return false;
    const bool sideways = (info->rotation & (RR_Rotate_90 | RR_Rotate_270)) != 0;
    XRRFreeCrtcInfo(info);
    return sideways;
}

void read_display_modes(Display* display) {
    read_modes.clear();
    int event_base = 0, error_base = 0;
    if (!XRRQueryExtension(display, &event_base, &error_base)) return;
    const Window root = DefaultRootWindow(display);
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, root);
    if (!resources) return;
    const RROutput output = chosen_output(display, root, resources);
    XRROutputInfo* info = output == None ? nullptr : XRRGetOutputInfo(display, resources, output);
    if (info) {
        const bool sideways = turned_sideways(display, resources, info->crtc);
        for (int m = 0; m < info->nmode; ++m) {
            for (int k = 0; k < resources->nmode; ++k) {
                const XRRModeInfo& mode = resources->modes[k];
                if (mode.id != info->modes[m]) continue;
                const auto w = static_cast<std::int32_t>(mode.width);
                const auto h = static_cast<std::int32_t>(mode.height);
                read_modes.push_back({sideways ? h : w, sideways ? w : h, reported_bits_per_pixel});
            }
        }
        XRRFreeOutputInfo(info);
    }
    XRRFreeScreenResources(resources);
}

bool platform_display_mode(std::int32_t index, PlatformMode* mode) {
    if (index < 0 || static_cast<std::size_t>(index) >= read_modes.size()) return false;
    *mode = read_modes[static_cast<std::size_t>(index)];
    return true;
}
