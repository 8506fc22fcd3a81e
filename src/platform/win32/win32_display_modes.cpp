// Display modes of the primary display on Windows, as the display settings list
// them (a size once per refresh rate and depth).
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "runtime/platform.h"

bool platform_display_mode(std::int32_t index, PlatformMode* mode) {
    DEVMODEW record{};
    record.dmSize = sizeof record;
    if (!EnumDisplaySettingsW(nullptr, static_cast<DWORD>(index), &record)) return false;
    *mode = {static_cast<std::int32_t>(record.dmPelsWidth), static_cast<std::int32_t>(record.dmPelsHeight),
             static_cast<std::int32_t>(record.dmBitsPerPel)};
    return true;
}
