// A stand-in for the part of <commctrl.h> that the launch dialog's Win32 glue
// uses (see windows.h beside it).
#pragma once
#include "windows.h"

struct INITCOMMONCONTROLSEX {
    DWORD dwSize;
    DWORD dwICC;
};
constexpr DWORD ICC_STANDARD_CLASSES = 0x4000;

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* controls);
