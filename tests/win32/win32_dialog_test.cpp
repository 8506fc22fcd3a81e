// The launch dialog's Win32 glue (src/platform/win32/win32_dialog.cpp) over a
// scripted dialog manager (fake_windows/): its notifications reach the dialog
// logic's handlers, the logic reaches template 101's controls through item
// messages, and the procedure's answers leave the rest to the dialog manager.
#include <commctrl.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "runtime/display_settings.h"
#include "runtime/launch_dialog.h"

struct HWND__ {
    int control;  // 0 for the dialog itself
};
struct HINSTANCE__ {};

namespace {

// Notification codes in a command's high word, which the glue must not look at.
constexpr WORD button_clicked = 0;
constexpr WORD selection_changed = 1;
constexpr UINT mouse_moved = 0x0200;

// Template 101's controls; 1004 to 1006 are not among them.
HWND__ dialog_window{0};
HWND__ control_windows[] = {{1}, {2}, {1001}, {1003}};

struct ScriptedManager {
    std::vector<DEVMODEW> display_modes;
    bool can_create = true;
    DLGPROC procedure = nullptr;
    INT_PTR opened_answer = -2;  // the procedure's answer to WM_INITDIALOG
    bool ended = false;
    INT_PTR end_result = -2;
    std::vector<std::string> items;  // resolution box 1001
    LRESULT selection = -1;          // CB_ERR: none
    int fullscreen_state = BST_UNCHECKED;
    std::vector<WPARAM> icons_set;
    int enable_calls = 0;
};
ScriptedManager manager;

// What the viewer does while the dialog is open.
void (*viewer)() = nullptr;

HWND find_control(int control) {
    for (HWND__& window : control_windows)
        if (window.control == control) return &window;
    return nullptr;
}

LRESULT item_message(int control, UINT message, WPARAM first, LPARAM second) {
    if (control == 1001 && message == CB_ADDSTRING) {
        manager.items.emplace_back(reinterpret_cast<const char*>(second));
        return static_cast<LRESULT>(manager.items.size() - 1);
    }
    if (control == 1001 && message == CB_SETCURSEL) manager.selection = static_cast<LRESULT>(first);
    if (control == 1001 && message == CB_GETCURSEL) return manager.selection;
    if (control == 1003 && message == BM_SETCHECK) manager.fullscreen_state = static_cast<int>(first);
    if (control == 1003 && message == BM_GETCHECK) return manager.fullscreen_state;
    return 0;  // an id without a control
}

// A message as the dialog manager hands it to the open dialog's procedure.
INT_PTR send(UINT message, WPARAM first) { return manager.procedure(&dialog_window, message, first, 0); }
INT_PTR command(int control, WORD notification) { return send(WM_COMMAND, MAKEWPARAM(control, notification)); }

class Win32Dialog : public ::testing::Test {
protected:
    void SetUp() override {
        manager = {};
        viewer = nullptr;
        reset_display_settings();
    }
};

TEST_F(Win32Dialog, ProcedureReportsTrueOnlyForTheOpenedNotification) {
    manager.display_modes = {{0, 32, 1024, 768}};
    viewer = [] {
        EXPECT_EQ(manager.opened_answer, TRUE);  // the dialog manager then focuses Run
        EXPECT_EQ(command(1001, selection_changed), FALSE);
        EXPECT_EQ(send(mouse_moved, MAKEWPARAM(1, 0)), FALSE);  // not a command
        EXPECT_FALSE(manager.ended);
        EXPECT_EQ(command(2, button_clicked), FALSE);
        EXPECT_TRUE(manager.ended);
        EXPECT_EQ(manager.end_result, 0);
    };
    EXPECT_FALSE(run_launch_dialog());
    EXPECT_EQ(screen_width, default_screen_width);
    EXPECT_TRUE(fullscreen);
}

TEST_F(Win32Dialog, OpeningListsThe32BitModesAndRunTakesThePreselectedOne) {
    manager.display_modes = {
        {0, 32, 800, 600}, {0, 16, 1024, 768}, {0, 32, 1024, 768}, {0, 32, 1024, 768}, {0, 32, 1280, 1024}};
    viewer = [] {
        EXPECT_EQ(manager.items, (std::vector<std::string>{"800 * 600", "1024 * 768", "1280 * 1024"}));
        EXPECT_EQ(manager.selection, 1);
        EXPECT_EQ(manager.fullscreen_state, BST_CHECKED);
        EXPECT_EQ(manager.icons_set, (std::vector<WPARAM>{ICON_BIG, ICON_SMALL}));
        command(1, button_clicked);  // Enter presses the default button, Run
    };
    EXPECT_TRUE(run_launch_dialog());
    EXPECT_EQ(manager.end_result, 1);
    EXPECT_EQ(screen_width, 1024);
    EXPECT_EQ(screen_height, 768);
    EXPECT_TRUE(fullscreen);
}

TEST_F(Win32Dialog, FullscreenClickAndAnotherItemGiveThatWindow) {
    manager.display_modes = {{0, 32, 1024, 768}, {0, 32, 1280, 1024}};
    viewer = [] {
        manager.fullscreen_state = BST_UNCHECKED;  // the box toggles itself, then reports
        command(1003, button_clicked);
        manager.selection = 1;
        command(1001, selection_changed);
        EXPECT_FALSE(manager.ended);
        command(1, button_clicked);
    };
    EXPECT_TRUE(run_launch_dialog());
    EXPECT_EQ(screen_width, 1280);
    EXPECT_EQ(screen_height, 1024);
    EXPECT_FALSE(fullscreen);
    EXPECT_EQ(manager.enable_calls, 0);  // option 1004 is no control of this template
}

TEST_F(Win32Dialog, DialogThatCannotBeCreatedStartsTheShowAsItIs) {
    manager.can_create = false;
    screen_width = 640;
    screen_height = 480;
    EXPECT_TRUE(run_launch_dialog());
    EXPECT_EQ(screen_width, 640);
    EXPECT_EQ(screen_height, 480);
    EXPECT_TRUE(fullscreen);
}

}  // namespace

// The scripted dialog manager.
HMODULE GetModuleHandleW(LPCWSTR) { return nullptr; }
HWND GetForegroundWindow() { return nullptr; }
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX*) { return TRUE; }

INT_PTR DialogBoxParamW(HINSTANCE, LPCWSTR dialog_template, HWND, DLGPROC procedure, LPARAM param) {
    EXPECT_EQ(dialog_template, MAKEINTRESOURCEW(101));
    if (!manager.can_create) return -1;
    manager.procedure = procedure;
    manager.opened_answer = procedure(&dialog_window, WM_INITDIALOG, 0, param);
    if (viewer) viewer();
    EXPECT_TRUE(manager.ended) << "the dialog was left open";
    return manager.end_result;
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
    EXPECT_EQ(dialog, &dialog_window);
    manager.ended = true;
    manager.end_result = result;
    return TRUE;
}

BOOL EnumDisplaySettingsW(LPCWSTR device, DWORD index, DEVMODEW* mode) {
    EXPECT_EQ(device, nullptr);  // the primary display
    if (index >= manager.display_modes.size()) return FALSE;
    *mode = manager.display_modes[index];
    return TRUE;
}

LRESULT SendDlgItemMessageA(HWND dialog, int control, UINT message, WPARAM first, LPARAM second) {
    EXPECT_EQ(dialog, &dialog_window);
    return item_message(control, message, first, second);
}

LRESULT SendDlgItemMessageW(HWND dialog, int control, UINT message, WPARAM first, LPARAM second) {
    EXPECT_EQ(dialog, &dialog_window);
    return item_message(control, message, first, second);
}

HWND GetDlgItem(HWND, int control) { return find_control(control); }

BOOL EnableWindow(HWND, BOOL) {
    ++manager.enable_calls;
    return TRUE;
}

LRESULT SendMessageW(HWND window, UINT message, WPARAM first, LPARAM) {
    if (window == &dialog_window && message == WM_SETICON) manager.icons_set.push_back(first);
    return 0;
}

int GetSystemMetrics(int metric) { return metric == SM_CXICON ? 32 : 16; }

HANDLE LoadImageW(HINSTANCE, LPCWSTR, UINT, int, int, UINT) {
    static int picture;
    return &picture;
}
