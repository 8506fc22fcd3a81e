// The launch dialog's logic: mode list, preselection, check boxes, Run and Cancel.
#include "runtime/dialog_logic.h"

#include <cassert>
#include <cstdio>

#include "runtime/display_settings.h"

ModeList mode_list;
DisplaySettings* edited_settings = nullptr;

static void add_offered_modes(const DialogPlatform& platform, const DisplaySettings& settings) {
    PlatformMode mode{};
    for (std::int32_t index = 0; mode_list.count < mode_list_capacity; ++index) {
        if (!platform.enumerate_mode(index, &mode)) break;
        if (mode.bits_per_pixel != settings.bits_per_pixel) continue;
        // Refresh rates come as runs of one size: only the entry added last is compared.
        if (mode_list.count > 0) {
            const ListedMode& last = mode_list.modes[mode_list.count - 1];
            if (last.width == mode.width && last.height == mode.height) continue;
        }
        mode_list.modes[mode_list.count] = {mode.width, mode.height};
        ++mode_list.count;
        char text[mode_text_size];
        std::snprintf(text, sizeof text, "%d * %d", static_cast<int>(mode.width), static_cast<int>(mode.height));
        platform.combo_add_item(control_resolution, text);
    }
}

void on_dialog_opened(const DialogPlatform& platform) {
    assert(edited_settings);
    DisplaySettings& settings = *edited_settings;
    add_offered_modes(platform, settings);

    // Every match is selected in turn, so the last one stays selected.
    for (std::int32_t i = 0; i < mode_list.count; ++i) {
        if (mode_list.modes[i].width == settings.width && mode_list.modes[i].height == settings.height)
            platform.combo_set_selection(control_resolution, i);
    }

    if (settings.windowed == 0) {
        platform.check_box_set(control_fullscreen, 1);
        platform.enable_control(control_option_1004, false);
    }
    if (settings.option_1005 != 0) platform.check_box_set(control_option_1005, 1);
    if (settings.option_1006 != 0) platform.check_box_set(control_option_1006, 1);
}

static void on_run(const DialogPlatform& platform) {
    assert(edited_settings);
    DisplaySettings& settings = *edited_settings;
    // No selection (-1) keeps the size the dialog opened with.
    const std::int32_t selected = platform.combo_get_selection(control_resolution);
    if (selected >= 0 && selected < mode_list.count) {
        settings.width = mode_list.modes[selected].width;
        settings.height = mode_list.modes[selected].height;
    }
    settings.windowed = platform.check_box_get(control_fullscreen) ? 0 : 1;
    settings.option_1004 = platform.check_box_get(control_option_1004) ? 1 : 0;
    settings.option_1005 = platform.check_box_get(control_option_1005) ? 1 : 0;
    settings.option_1006 = platform.check_box_get(control_option_1006) ? 1 : 0;
    platform.end_dialog(dialog_result_run);
}

void on_button(const DialogPlatform& platform, int control) {
    if (control == control_run) on_run(platform);
    if (control == control_cancel) platform.end_dialog(dialog_result_cancel);
}

void on_fullscreen_clicked(const DialogPlatform& platform) {
    // Option 1004 is offered only while windowed mode is chosen.
    if (platform.check_box_get(control_fullscreen)) {
        platform.check_box_set(control_option_1004, 0);
        platform.enable_control(control_option_1004, false);
    } else {
        platform.enable_control(control_option_1004, true);
    }
}

bool run_launch_dialog_with(DialogRunner run_dialog) {
    DisplaySettings settings{screen_width,        screen_height,       offered_bits_per_pixel, fullscreen ? 0 : 1,
                             initial_option_1005, initial_option_1006, initial_option_1004};
    edited_settings = &settings;
    const int result = run_dialog();
    edited_settings = nullptr;
    if (result == dialog_result_cancel) return false;
    // Run, or a dialog that never appeared: the record then still holds the settings.
    screen_height = settings.height;
    screen_width = settings.width;
    fullscreen = settings.windowed == 0;
    return true;
}
