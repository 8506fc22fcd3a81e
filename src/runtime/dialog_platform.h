// The seam between the launch dialog's logic and the toolkit that shows it: the
// control ids of dialog template 101, what ending the dialog reports, and the few
// operations the logic needs.
#pragma once
#include <cstdint>

// Control ids of template 101. The three option ids name no control in this
// template: operations on them find nothing.
constexpr int control_run = 1;
constexpr int control_cancel = 2;
constexpr int control_resolution = 1001;
constexpr int control_fullscreen = 1003;
constexpr int control_option_1004 = 1004;
constexpr int control_option_1005 = 1005;
constexpr int control_option_1006 = 1006;

// What ending the dialog reports: Cancel, Run, or "the dialog could not be created".
constexpr int dialog_result_cancel = 0;
constexpr int dialog_result_run = 1;
constexpr int dialog_result_not_created = -1;

// One display mode as the platform reports it.
struct PlatformMode {
    std::int32_t width;
    std::int32_t height;
    std::int32_t bits_per_pixel;
};

// The toolkit's side, bound to the one dialog that is open. An id that names no
// control makes setters and enable do nothing and getters return 0.
struct DialogPlatform {
    // The index-th display mode of the primary display, counting from 0; false
    // when there is none with that index.
    bool (*enumerate_mode)(std::int32_t index, PlatformMode* mode);
    // Drop-down list: append an item, select one, read the selection (-1: none).
    void (*combo_add_item)(int control, const char* text);
    void (*combo_set_selection)(int control, std::int32_t index);
    std::int32_t (*combo_get_selection)(int control);
    // Check boxes: 1 checked, 0 not.
    void (*check_box_set)(int control, int checked);
    int (*check_box_get)(int control);
    void (*enable_control)(int control, bool enable);
    // Closes the dialog; its runner then reports result.
    void (*end_dialog)(int result);
};
