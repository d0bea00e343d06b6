// The windows the Win32 host reports into; filled in by the frame as it creates them.
#pragma once
#include <windows.h>

#include "platform/block.h"

struct HostWindows {
    HWND frame = nullptr;     // owned by the shell
    HWND status = nullptr;    // the status bar, owned by the shell
    HWND progress = nullptr;  // the progress bar inside the status bar, while a long operation runs
    bool statusShown = true;  // mirrors the status-bar option
    HCURSOR keptCursor = nullptr;
    void (*restoreTitle)() = nullptr;            // puts back "%s (%d%% x %d%%)"
    PackedDib (*allocWorkBlock)(size_t) = nullptr; // the shortage policy, once the document exists
};

extern HostWindows gHostWindows;
