// The GTK controls of the open launch dialog, by template id, and the platform
// operations on them. Ids without a control (the three options) find nothing.
#include "platform/gtk/gtk_controls.h"

#include <cassert>

#include "runtime/platform.h"

namespace {

struct ControlSlot {
    int control;
    GtkWidget* widget;
};

constexpr int control_slot_count = 4;
ControlSlot control_slots[control_slot_count];
int registered_count = 0;
bool quiet_change = false;
bool ended = false;
int end_result = dialog_result_cancel;

GtkWidget* find_control(int control) {
    for (int i = 0; i < registered_count; ++i)
        if (control_slots[i].control == control) return control_slots[i].widget;
    return nullptr;
}

void combo_add_item(int control, const char* text) {
    if (GtkWidget* w = find_control(control); w && GTK_IS_COMBO_BOX_TEXT(w))
        gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(w), text);
}

void combo_set_selection(int control, std::int32_t index) {
    if (GtkWidget* w = find_control(control); w && GTK_IS_COMBO_BOX(w)) {
        quiet_change = true;
        gtk_combo_box_set_active(GTK_COMBO_BOX(w), index);
        quiet_change = false;
    }
}

std::int32_t combo_get_selection(int control) {
    GtkWidget* w = find_control(control);
    return w && GTK_IS_COMBO_BOX(w) ? gtk_combo_box_get_active(GTK_COMBO_BOX(w)) : 0;
}

void check_box_set(int control, int checked) {
    if (GtkWidget* w = find_control(control); w && GTK_IS_TOGGLE_BUTTON(w)) {
        quiet_change = true;
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(w), checked != 0);
        quiet_change = false;
    }
}

int check_box_get(int control) {
    GtkWidget* w = find_control(control);
    return w && GTK_IS_TOGGLE_BUTTON(w) && gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(w)) ? 1 : 0;
}

void enable_control(int control, bool enable) {
    if (GtkWidget* w = find_control(control)) gtk_widget_set_sensitive(w, enable);
}

void end_dialog(int result) {
    ended = true;
    end_result = result;
}

const DialogPlatform gtk_platform{platform_display_mode, combo_add_item, combo_set_selection, combo_get_selection,
                                  check_box_set,         check_box_get,  enable_control,      end_dialog};

}  // namespace

void register_control(int control, GtkWidget* widget) {
    assert(registered_count < control_slot_count && !find_control(control));
    control_slots[registered_count++] = {control, widget};
}

void forget_controls() { registered_count = 0; }

bool changing_controls_quietly() { return quiet_change; }

const DialogPlatform& gtk_dialog_platform() { return gtk_platform; }
bool dialog_has_ended() { return ended; }
int dialog_end_result() { return end_result; }

void reset_dialog_end() {
    ended = false;
    end_result = dialog_result_cancel;
}
