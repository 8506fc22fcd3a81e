// A display with several modes, for the launch dialog's tests under Xvfb, whose
// only mode is its screen size. Preloaded (LD_PRELOAD) into the show, this library
// answers the show's own XRandR questions (the dialog's mode list) with one
// connected output offering the modes in INVITATION_STAGED_MODES, in that order,
// e.g. "1280x1024,1024x768,800x600". Calls from any other code (GTK, SDL) and
// every call while the variable is unset reach the real XRandR.
#include <X11/extensions/Xrandr.h>
#include <dlfcn.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "caller_in_program.h"

namespace {

// Ids that no X server hands out (they carry bits above the 29 an XID may use).
constexpr RROutput staged_output = 0xE0000001;
constexpr RRMode first_staged_mode = 0xE0000100;
constexpr const char* staged_output_name = "staged";
constexpr int max_staged_modes = 64;

struct StagedMode {
    unsigned width, height;
};

std::vector<StagedMode> staged_modes() {
    std::vector<StagedMode> modes;
    const char* text = std::getenv("INVITATION_STAGED_MODES");
    while (text && *text && modes.size() < max_staged_modes) {
        unsigned w = 0, h = 0;
        int used = 0;
        if (std::sscanf(text, "%ux%u%n", &w, &h, &used) != 2) break;
        modes.push_back({w, h});
        text += used;
        if (*text == ',') ++text;
    }
    return modes;
}

template <typename Function>
Function real(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

// One block, as XRRFree* release it with XFree (free).
template <typename T>
T* allocate_block(std::size_t bytes) {
    void* block = std::calloc(1, bytes);
    if (!block) std::abort();  // nothing sensible is left to do in a test
    return static_cast<T*>(block);
}

}  // namespace

extern "C" {

XRRScreenResources* XRRGetScreenResourcesCurrent(Display* display, Window window) {
    const auto modes = staged_modes();
    if (modes.empty() || !caller_in_program(__builtin_return_address(0)))
        return real<XRRScreenResources* (*)(Display*, Window)>("XRRGetScreenResourcesCurrent")(display, window);
    const std::size_t bytes = sizeof(XRRScreenResources) + sizeof(RROutput) + modes.size() * sizeof(XRRModeInfo);
    auto* resources = allocate_block<XRRScreenResources>(bytes);
    auto* output = reinterpret_cast<RROutput*>(resources + 1);
    auto* mode_infos = reinterpret_cast<XRRModeInfo*>(output + 1);
    *output = staged_output;
    for (std::size_t k = 0; k < modes.size(); ++k) {
        mode_infos[k].id = first_staged_mode + k;
        mode_infos[k].width = modes[k].width;
        mode_infos[k].height = modes[k].height;
        mode_infos[k].name = const_cast<char*>("");
    }
    resources->noutput = 1;
    resources->outputs = output;
    resources->nmode = static_cast<int>(modes.size());
    resources->modes = mode_infos;
    return resources;
}

XRROutputInfo* XRRGetOutputInfo(Display* display, XRRScreenResources* resources, RROutput output) {
    const auto modes = staged_modes();
    if (output != staged_output || modes.empty())
        return real<XRROutputInfo* (*)(Display*, XRRScreenResources*, RROutput)>("XRRGetOutputInfo")(display, resources,
                                                                                                     output);
    const std::size_t name_size = std::strlen(staged_output_name) + 1;
    auto* info = allocate_block<XRROutputInfo>(sizeof(XRROutputInfo) + modes.size() * sizeof(RRMode) + name_size);
    auto* mode_ids = reinterpret_cast<RRMode*>(info + 1);
    char* name = reinterpret_cast<char*>(mode_ids + modes.size());
    std::memcpy(name, staged_output_name, name_size);
    for (std::size_t k = 0; k < modes.size(); ++k) mode_ids[k] = first_staged_mode + k;
    info->name = name;
    info->nameLen = static_cast<int>(name_size - 1);
    info->connection = RR_Connected;
    info->crtc = None;  // shown nowhere, so not turned
    info->nmode = static_cast<int>(modes.size());
    info->npreferred = 0;
    info->modes = mode_ids;
    return info;
}

}  // extern "C"
