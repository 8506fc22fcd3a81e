// The launch dialog as the entry sees it: the logic run over the platform's
// dialog window (GTK on Linux, template 101 on Windows; the browser has none).
#include "runtime/launch_dialog.h"

#include "runtime/dialog_logic.h"
#include "runtime/platform.h"

bool run_launch_dialog() { return run_launch_dialog_with(run_platform_dialog); }
