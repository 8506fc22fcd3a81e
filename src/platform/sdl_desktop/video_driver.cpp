// Which video driver may carry the show: headless ones only on request.
#include "platform/sdl_desktop/video_driver.h"

#include <cctype>
#include <string_view>

namespace {

// SDL's drivers that draw into memory and show nothing.
constexpr std::string_view headless_drivers[] = {"offscreen", "dummy"};

// Driver names compare without regard to case ("KMSDRM", "kmsdrm").
bool same_name(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

// SDL_VIDEODRIVER may list several drivers, separated by commas.
bool names(std::string_view requested, std::string_view driver) {
    while (!requested.empty()) {
        const std::size_t comma = requested.find(',');
        if (same_name(requested.substr(0, comma), driver)) return true;
        if (comma == std::string_view::npos) break;
        requested.remove_prefix(comma + 1);
    }
    return false;
}

}  // namespace

bool video_driver_allowed(const char* driver, const char* requested) {
    // SDL names its driver once video is up; without a name there is nothing to judge.
    if (driver == nullptr) return true;
    for (std::string_view headless : headless_drivers) {
        if (same_name(driver, headless)) return requested != nullptr && names(requested, driver);
    }
    return true;
}
