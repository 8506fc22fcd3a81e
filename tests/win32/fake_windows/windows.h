// A stand-in for the part of <windows.h> that the launch dialog's Win32 glue uses,
// so that src/platform/win32/win32_dialog.cpp compiles and runs natively in a
// test. The numbers are the system's; the calls are scripted by the test
// (tests/win32/win32_dialog_test.cpp).
#pragma once
#include <cstdint>

using BOOL = int;
using UINT = unsigned int;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using INT_PTR = std::intptr_t;
using LPCWSTR = const wchar_t*;
using HANDLE = void*;
struct HWND__;
using HWND = HWND__*;
struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;

#define TRUE 1
#define FALSE 0
#define CALLBACK
#define LOWORD(value) (static_cast<WORD>(static_cast<std::uintptr_t>(value) & 0xFFFF))
#define MAKEINTRESOURCEW(id) (reinterpret_cast<LPCWSTR>(static_cast<std::uintptr_t>(static_cast<WORD>(id))))
#define MAKEWPARAM(low, high)                                         \
    (static_cast<WPARAM>(static_cast<DWORD>(static_cast<WORD>(low)) | \
                         (static_cast<DWORD>(static_cast<WORD>(high)) << 16)))

constexpr UINT WM_SETICON = 0x0080;
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT BM_GETCHECK = 0x00F0;
constexpr UINT BM_SETCHECK = 0x00F1;
constexpr UINT CB_ADDSTRING = 0x0143;
constexpr UINT CB_GETCURSEL = 0x0147;
constexpr UINT CB_SETCURSEL = 0x014E;
constexpr int BST_UNCHECKED = 0;
constexpr int BST_CHECKED = 1;
constexpr int ICON_SMALL = 0;
constexpr int ICON_BIG = 1;
constexpr int SM_CXICON = 11;
constexpr int SM_CXSMICON = 49;
constexpr UINT IMAGE_ICON = 1;
constexpr UINT LR_SHARED = 0x8000;

struct DEVMODEW {
    WORD dmSize;
    DWORD dmBitsPerPel;
    DWORD dmPelsWidth;
    DWORD dmPelsHeight;
};

using DLGPROC = INT_PTR (*)(HWND, UINT, WPARAM, LPARAM);

HMODULE GetModuleHandleW(LPCWSTR name);
HWND GetForegroundWindow();
INT_PTR DialogBoxParamW(HINSTANCE module, LPCWSTR dialog_template, HWND owner, DLGPROC procedure, LPARAM param);
BOOL EndDialog(HWND dialog, INT_PTR result);
BOOL EnumDisplaySettingsW(LPCWSTR device, DWORD index, DEVMODEW* mode);
LRESULT SendDlgItemMessageA(HWND dialog, int control, UINT message, WPARAM first, LPARAM second);
LRESULT SendDlgItemMessageW(HWND dialog, int control, UINT message, WPARAM first, LPARAM second);
HWND GetDlgItem(HWND dialog, int control);
BOOL EnableWindow(HWND window, BOOL enable);
LRESULT SendMessageW(HWND window, UINT message, WPARAM first, LPARAM second);
int GetSystemMetrics(int metric);
HANDLE LoadImageW(HINSTANCE module, LPCWSTR name, UINT type, int width, int height, UINT flags);
