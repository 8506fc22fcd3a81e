// The launch dialog in the browser: there is none to show. The page's launch
// panel stands in for it before the show starts, so the show's own dialog step
// reports that no dialog was created and the settings keep their values.
#include "runtime/dialog_logic.h"
#include "runtime/dialog_window.h"

int run_platform_dialog() { return dialog_result_not_created; }
