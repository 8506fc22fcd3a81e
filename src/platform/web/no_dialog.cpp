// The launch dialog in the browser: there is none to show, and no display modes
// to offer. The page's launch panel stands in for it before the show starts, so
// the show's own dialog step reports that no dialog was created and the settings
// keep their values.
#include "runtime/platform.h"

int run_platform_dialog() { return dialog_result_not_created; }

bool platform_display_mode(std::int32_t, PlatformMode*) { return false; }
