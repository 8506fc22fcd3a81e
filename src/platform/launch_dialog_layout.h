// Template 101, the launch dialog, laid out once for both toolkits that show it:
// the Windows resource script (win32/launch_dialog.rc, through the resource
// compiler's C preprocessor) and the GTK dialog (gtk/gtk_dialog.cpp). Places are
// x, y, width, height in dialog units: a quarter of the font's average character
// width across, an eighth of its height down. Plain macros, as the resource
// compiler reads no C++.
#pragma once

// The font's size in points; each toolkit names its own family.
#define LAUNCH_DIALOG_FONT_POINTS 8
// The dialog itself (placed at 0, 0 and centred by the toolkit).
#define LAUNCH_DIALOG_PLACE 0, 0, 142, 79

// The controls in template order, which is also the tab order. The headline's
// text is the product's name (product.h).
#define LAUNCH_DIALOG_RUN_TEXT "Run"
#define LAUNCH_DIALOG_RUN_PLACE 84, 56, 50, 14
#define LAUNCH_DIALOG_CANCEL_TEXT "Cancel"
#define LAUNCH_DIALOG_CANCEL_PLACE 7, 56, 50, 14
#define LAUNCH_DIALOG_RESOLUTION_LABEL_TEXT "Resolution:"
#define LAUNCH_DIALOG_RESOLUTION_LABEL_PLACE 7, 27, 65, 10
// The resolution box: x, y and width, then its height closed (one line) and
// opened with its list, the height a Windows template gives a drop-down list.
#define LAUNCH_DIALOG_RESOLUTION_PLACE 59, 25, 75
#define LAUNCH_DIALOG_RESOLUTION_CLOSED_HEIGHT 13
#define LAUNCH_DIALOG_RESOLUTION_OPENED_HEIGHT 125
#define LAUNCH_DIALOG_HEADLINE_PLACE 7, 7, 127, 11
#define LAUNCH_DIALOG_FULLSCREEN_TEXT "Fullscreen"
#define LAUNCH_DIALOG_FULLSCREEN_PLACE 59, 42, 48, 10
