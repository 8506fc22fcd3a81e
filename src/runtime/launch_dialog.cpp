// The launch dialog as the entry sees it: the logic run over the platform's dialog.
#include "runtime/launch_dialog.h"

#include "runtime/dialog_logic.h"
#include "runtime/dialog_window.h"

#if defined(INVITATION_NO_DIALOG_TOOLKIT)
// No dialog toolkit on this platform: the show starts with the settings it has.
// Linux has its GTK dialog in gtk/, Windows its template 101 in win32/.
int run_platform_dialog() { return dialog_result_not_created; }
#endif

bool run_launch_dialog() { return run_launch_dialog_with(run_platform_dialog); }
