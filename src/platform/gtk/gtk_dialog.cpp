// The launch dialog on Linux: template 101 (platform/launch_dialog_layout.h)
// built control by control with GTK 3, sized in dialog units of the desktop's
// sans, run modally, and gone from the display before the show opens its own
// window.
#include <gdk/gdkx.h>
#include <gtk/gtk.h>

#include <initializer_list>

#include "platform/gtk/gtk_controls.h"
#include "platform/gtk/xrandr_modes.h"
#include "platform/launch_dialog_layout.h"
#include "product.h"
#include "runtime/dialog_logic.h"
#include "runtime/platform.h"
#include "runtime/window_caption.h"

namespace {

constexpr const char* dialog_font_family = "Sans";
constexpr int dialog_font_points = LAUNCH_DIALOG_FONT_POINTS;
constexpr const char* headline_text = INVITATION_PRODUCT_NAME;

// A dialog unit is a quarter of the font's average character width across and an
// eighth of its height down.
constexpr int dialog_units_per_char_x = 4;
constexpr int dialog_units_per_char_y = 8;

struct TemplateRect {
    int x, y, width, height;
};
constexpr TemplateRect dialog_rect{LAUNCH_DIALOG_PLACE};
constexpr TemplateRect run_rect{LAUNCH_DIALOG_RUN_PLACE};
constexpr TemplateRect cancel_rect{LAUNCH_DIALOG_CANCEL_PLACE};
constexpr TemplateRect resolution_label_rect{LAUNCH_DIALOG_RESOLUTION_LABEL_PLACE};
// A GTK combo box has no opened height: it is as high as when closed.
constexpr TemplateRect resolution_rect{LAUNCH_DIALOG_RESOLUTION_PLACE, LAUNCH_DIALOG_RESOLUTION_CLOSED_HEIGHT};
constexpr TemplateRect headline_rect{LAUNCH_DIALOG_HEADLINE_PLACE};
constexpr TemplateRect fullscreen_rect{LAUNCH_DIALOG_FULLSCREEN_PLACE};

struct DialogUnits {
    int char_width;
    int char_height;
};

// Average character width as the dialog manager measures it: the alphabet in
// both cases, rounded.
DialogUnits measure_dialog_units(GtkWidget* widget, const PangoFontDescription* font) {
    PangoLayout* layout =
        gtk_widget_create_pango_layout(widget, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    pango_layout_set_font_description(layout, font);
    int width = 0, height = 0;
    pango_layout_get_pixel_size(layout, &width, &height);
    g_object_unref(layout);
    return {(width / 26 + 1) / 2, height};
}

void place(GtkFixed* fixed, GtkWidget* widget, const TemplateRect& r, const DialogUnits& units) {
    gtk_widget_set_size_request(widget, r.width * units.char_width / dialog_units_per_char_x,
                                r.height * units.char_height / dialog_units_per_char_y);
    gtk_fixed_put(fixed, widget, r.x * units.char_width / dialog_units_per_char_x,
                  r.y * units.char_height / dialog_units_per_char_y);
}

// The desktop's sans at 8 pt everywhere, and controls as compact as the template.
void apply_dialog_style(const char* family, int points) {
    gchar* css = g_strdup_printf(
        "* { font-family: %s; font-size: %dpt; }\n"
        "button, combobox button { min-height: 0; min-width: 0; padding: 0 4px; }\n"
        "checkbutton { padding: 0; }\n"
        "frame.headline > border { border-style: inset; }\n",
        family, points);
    GtkCssProvider* provider = gtk_css_provider_new();
    gtk_css_provider_load_from_data(provider, css, -1, nullptr);
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(provider),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(provider);
    g_free(css);
}

// What the viewer did, unless the logic's own change of a control caused it (the
// dialog manager reports no such change either) or the dialog has already ended.
bool viewer_acted() { return !changing_controls_quietly() && !dialog_has_ended(); }

void press(int control) {
    if (viewer_acted()) on_button(gtk_dialog_platform(), control);
}

void on_button_clicked(GtkButton*, gpointer control) { press(GPOINTER_TO_INT(control)); }

// "clicked" comes after the box has toggled itself.
void on_fullscreen_box_clicked(GtkButton*, gpointer) {
    if (viewer_acted()) on_fullscreen_clicked(gtk_dialog_platform());
}

// The close box is Cancel.
gboolean on_delete(GtkWidget*, GdkEvent*, gpointer) {
    press(control_cancel);
    return TRUE;
}

// Escape is Cancel and Enter is Run, as in a dialog of the window system: only a
// focused push button takes Enter for itself. An opened drop-down list gets its
// keys first.
gboolean on_key_press(GtkWidget* window, GdkEventKey* event, gpointer) {
    switch (event->keyval) {
    case GDK_KEY_Escape: press(control_cancel); return TRUE;
    case GDK_KEY_Return:
    case GDK_KEY_KP_Enter:
    case GDK_KEY_ISO_Enter: {
        GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(window));
        if (focus && GTK_IS_BUTTON(focus) && !GTK_IS_TOGGLE_BUTTON(focus)) return FALSE;
        press(control_run);
        return TRUE;
    }
    default: return FALSE;
    }
}

struct DialogWidgets {
    GtkWidget* window;
    GtkWidget* first_tab_stop;
};

DialogWidgets build_dialog() {
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window), window_caption);
    gtk_window_set_resizable(GTK_WINDOW(window), FALSE);
    gtk_window_set_position(GTK_WINDOW(window), GTK_WIN_POS_CENTER);
    gtk_window_set_type_hint(GTK_WINDOW(window), GDK_WINDOW_TYPE_HINT_DIALOG);
    gtk_window_set_modal(GTK_WINDOW(window), TRUE);

    PangoFontDescription* font = pango_font_description_new();
    pango_font_description_set_family(font, dialog_font_family);
    pango_font_description_set_size(font, dialog_font_points * PANGO_SCALE);
    const DialogUnits units = measure_dialog_units(window, font);
    pango_font_description_free(font);

    GtkWidget* fixed = gtk_fixed_new();
    gtk_widget_set_size_request(fixed, dialog_rect.width * units.char_width / dialog_units_per_char_x,
                                dialog_rect.height * units.char_height / dialog_units_per_char_y);
    gtk_container_add(GTK_CONTAINER(window), fixed);
    GtkFixed* area = GTK_FIXED(fixed);

    // Template order, which is also the tab order.
    GtkWidget* run = gtk_button_new_with_label(LAUNCH_DIALOG_RUN_TEXT);
    place(area, run, run_rect, units);
    GtkWidget* cancel = gtk_button_new_with_label(LAUNCH_DIALOG_CANCEL_TEXT);
    place(area, cancel, cancel_rect, units);

    GtkWidget* label = gtk_label_new(LAUNCH_DIALOG_RESOLUTION_LABEL_TEXT);
    gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
    gtk_label_set_yalign(GTK_LABEL(label), 0.0f);
    place(area, label, resolution_label_rect, units);

    GtkWidget* resolution = gtk_combo_box_text_new();
    place(area, resolution, resolution_rect, units);

    GtkWidget* headline = gtk_frame_new(nullptr);
    gtk_frame_set_shadow_type(GTK_FRAME(headline), GTK_SHADOW_IN);
    gtk_style_context_add_class(gtk_widget_get_style_context(headline), "headline");
    GtkWidget* headline_label = gtk_label_new(headline_text);
    gtk_label_set_justify(GTK_LABEL(headline_label), GTK_JUSTIFY_CENTER);
    gtk_container_add(GTK_CONTAINER(headline), headline_label);
    place(area, headline, headline_rect, units);

    GtkWidget* fullscreen_box = gtk_check_button_new_with_label(LAUNCH_DIALOG_FULLSCREEN_TEXT);
    place(area, fullscreen_box, fullscreen_rect, units);

    G_GNUC_BEGIN_IGNORE_DEPRECATIONS
    GList* chain = nullptr;
    for (GtkWidget* w : {run, cancel, resolution, fullscreen_box}) chain = g_list_append(chain, w);
    gtk_container_set_focus_chain(GTK_CONTAINER(fixed), chain);
    g_list_free(chain);
    G_GNUC_END_IGNORE_DEPRECATIONS

    gtk_widget_set_can_default(run, TRUE);
    gtk_window_set_default(GTK_WINDOW(window), run);

    register_control(control_run, run);
    register_control(control_cancel, cancel);
    register_control(control_resolution, resolution);
    register_control(control_fullscreen, fullscreen_box);

    // A change of the resolution box calls for nothing: Run reads the selection.
    g_signal_connect(run, "clicked", G_CALLBACK(on_button_clicked), GINT_TO_POINTER(control_run));
    g_signal_connect(cancel, "clicked", G_CALLBACK(on_button_clicked), GINT_TO_POINTER(control_cancel));
    g_signal_connect(fullscreen_box, "clicked", G_CALLBACK(on_fullscreen_box_clicked), nullptr);
    g_signal_connect(window, "delete-event", G_CALLBACK(on_delete), nullptr);
    g_signal_connect(window, "key-press-event", G_CALLBACK(on_key_press), nullptr);
    return {window, run};
}

// Destroys the dialog and waits until the X server has seen it go, so that no
// window or grab of ours is left when the show opens its own window.
void tear_down(GtkWidget* window) {
    gtk_widget_destroy(window);
    forget_controls();
    while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
    gdk_display_sync(gdk_display_get_default());
}

}  // namespace

int run_platform_dialog() {
    // The show prints beat times with printf: numbers keep the C locale's point.
    gtk_disable_setlocale();
    // XRandR lists the modes, and the show opens its window on X as well.
    gdk_set_allowed_backends("x11");
    if (!gtk_init_check(nullptr, nullptr)) return dialog_result_not_created;
    GdkDisplay* display = gdk_display_get_default();
    if (!display || !GDK_IS_X11_DISPLAY(display)) return dialog_result_not_created;

    read_display_modes(gdk_x11_display_get_xdisplay(display));
    apply_dialog_style(dialog_font_family, dialog_font_points);
    const DialogWidgets dialog = build_dialog();
    GtkWidget* window = dialog.window;
    reset_dialog_end();
    on_dialog_opened(gtk_dialog_platform());
    gtk_widget_show_all(window);
    // The focus goes to the first tab stop, Run, once the controls are shown.
    gtk_widget_grab_focus(dialog.first_tab_stop);
    gtk_window_present(GTK_WINDOW(window));

    while (!dialog_has_ended()) gtk_main_iteration();
    const int result = dialog_end_result();
    tear_down(window);
    return result;
}
