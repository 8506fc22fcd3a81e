// The GTK controls of the open launch dialog, reached by their template ids, and
// the platform operations on them.
#pragma once
#include <gtk/gtk.h>

#include "runtime/dialog_platform.h"

// Registers the widget that plays the role of control id (one of Run, Cancel,
// resolution, Fullscreen); forget_controls drops them all when the dialog closes.
void register_control(int control, GtkWidget* widget);
void forget_controls();

// True while the logic itself changes a control: toolkit notifications caused by
// that are not commands (the dialog manager sends none either).
bool changing_controls_quietly();

// The dialog procedure's view of the open dialog; end_dialog sets the result.
const DialogPlatform& gtk_dialog_platform();
bool dialog_has_ended();
int dialog_end_result();
void reset_dialog_end();
