// The platform's dialog window for template 101, driven by the dialog procedure.
#pragma once

// Shows the dialog modally over edited_settings and returns what ended it:
// dialog_result_run, dialog_result_cancel, or dialog_result_not_created when no
// dialog can be shown (for instance without a display); that case is quiet.
int run_platform_dialog();
