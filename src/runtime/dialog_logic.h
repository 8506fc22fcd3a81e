// The launch dialog apart from any toolkit: the record it edits, the list of
// offered modes, its three handlers, which the toolkit calls as the dialog opens
// and the viewer acts, and the run that copies the viewer's choice into the
// display settings.
#pragma once
#include <cstdint>

#include "runtime/dialog_platform.h"

// The record the dialog edits; seven 32-bit fields in this order.
struct DisplaySettings {
    std::int32_t width;
    std::int32_t height;
    std::int32_t bits_per_pixel;  // depth of the offered modes; never changed
    std::int32_t windowed;        // 1 window, 0 full screen
    std::int32_t option_1005;
    std::int32_t option_1006;
    std::int32_t option_1004;  // applies to windowed mode only
};

constexpr std::int32_t offered_bits_per_pixel = 32;
constexpr std::int32_t initial_option_1005 = 1;
constexpr std::int32_t initial_option_1006 = 0;
constexpr std::int32_t initial_option_1004 = 1;

constexpr std::int32_t mode_list_capacity = 4096;
constexpr int mode_text_size = 500;

struct ListedMode {
    std::int32_t width;
    std::int32_t height;
};

// Item i of the resolution box always shows modes[i]; filled when the dialog
// opens and never emptied.
struct ModeList {
    ListedMode modes[mode_list_capacity];
    std::int32_t count;
};

extern ModeList mode_list;
// The record of the dialog that is open; set just before it opens.
extern DisplaySettings* edited_settings;

// The three handlers. The dialog opened: modes listed, preselection, check boxes.
// Then the toolkit puts the focus on the first tab stop, Run.
void on_dialog_opened(const DialogPlatform& platform);
// Run or Cancel (control_run, control_cancel); any other control does nothing.
void on_button(const DialogPlatform& platform, int control);
// The Fullscreen box clicked, after it has toggled itself.
void on_fullscreen_clicked(const DialogPlatform& platform);

// Shows the dialog modally and returns what ended it: dialog_result_run,
// dialog_result_cancel or dialog_result_not_created.
using DialogRunner = int (*)();

// Builds the record from the display settings, runs the dialog and copies width,
// height and full screen back unless it was cancelled. False for Cancel.
bool run_launch_dialog_with(DialogRunner run_dialog);
