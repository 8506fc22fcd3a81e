// The launch dialog on Windows: template 101 run modally by the dialog manager,
// whose notifications the dialog procedure hands to the dialog logic's handlers,
// the logic reaching the controls through the dialog's item messages; and the
// program's icon on its title bar and task button.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
// after windows.h, whose types it uses
#include <commctrl.h>

#include <cassert>

#include "runtime/dialog_logic.h"
#include "runtime/platform.h"

namespace {

constexpr int launch_dialog_template = 101;
// The program's icon group (release_resources.rc.in), named for SDL's window class.
const wchar_t program_icon[] = L"SDL_app";

// The dialog that is open; the dialog procedure sets it with every message.
HWND open_dialog = nullptr;

void combo_add_item(int control, const char* text) {
    SendDlgItemMessageA(open_dialog, control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
}

void combo_set_selection(int control, std::int32_t index) {
    SendDlgItemMessageW(open_dialog, control, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

std::int32_t combo_get_selection(int control) {
    // CB_ERR (-1) when nothing is selected; 0 from an id without a control.
    return static_cast<std::int32_t>(SendDlgItemMessageW(open_dialog, control, CB_GETCURSEL, 0, 0));
}

void check_box_set(int control, int checked) {
    const int state = checked ? BST_CHECKED : BST_UNCHECKED;
    SendDlgItemMessageW(open_dialog, control, BM_SETCHECK, static_cast<WPARAM>(state), static_cast<LPARAM>(state));
}

int check_box_get(int control) {
    return SendDlgItemMessageW(open_dialog, control, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

void enable_control(int control, bool enable) {
    // An id without a control gives no window, and enabling nothing does nothing.
    if (HWND item = GetDlgItem(open_dialog, control)) EnableWindow(item, enable ? TRUE : FALSE);
}

void end_dialog(int result) { EndDialog(open_dialog, result); }

const DialogPlatform win32_platform{platform_display_mode, combo_add_item, combo_set_selection, combo_get_selection,
                                    check_box_set,         check_box_get,  enable_control,      end_dialog};

// A dialog takes no icon from its template: the task bar and Alt+Tab show the big
// one, the title bar the small one, each picked from the group at its own size.
void show_program_icon(HWND dialog) {
    const HINSTANCE program = GetModuleHandleW(nullptr);
    const struct {
        WPARAM which;
        int side_metric;
    } icons[] = {{ICON_BIG, SM_CXICON}, {ICON_SMALL, SM_CXSMICON}};
    for (const auto& icon : icons) {
        const int side = GetSystemMetrics(icon.side_metric);
        // Shared: the system frees it with the program.
        if (HANDLE picture = LoadImageW(program, program_icon, IMAGE_ICON, side, side, LR_SHARED))
            SendMessageW(dialog, WM_SETICON, icon.which, reinterpret_cast<LPARAM>(picture));
    }
}

// TRUE for the opened notification only, which lets the dialog manager put the
// focus on the first tab stop, Run; FALSE leaves every other message to the
// dialog manager's default handling.
INT_PTR CALLBACK launch_dialog_procedure(HWND dialog, UINT message, WPARAM first, LPARAM) {
    open_dialog = dialog;
    switch (message) {
    case WM_INITDIALOG:
        show_program_icon(dialog);
        on_dialog_opened(win32_platform);
        return TRUE;
    case WM_COMMAND: {
        // The low word names the control; the notification code is not looked at.
        const int control = LOWORD(first);
        if (control == control_run || control == control_cancel) on_button(win32_platform, control);
        if (control == control_fullscreen) on_fullscreen_clicked(win32_platform);
        return FALSE;
    }
    default: return FALSE;
    }
}

}  // namespace

int run_platform_dialog() {
    assert(edited_settings);
    // The manifest asks for Common Controls 6; Windows XP creates the dialog's
    // controls from it only once the library is loaded and its classes are known.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(launch_dialog_template),
                                           GetForegroundWindow(), launch_dialog_procedure, 0);
    open_dialog = nullptr;
    // -1 when the dialog could not be created: the show then starts as it is.
    if (result != dialog_result_run && result != dialog_result_cancel) return dialog_result_not_created;
    return static_cast<int>(result);
}
