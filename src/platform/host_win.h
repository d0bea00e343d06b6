// The windows the Win32 host reports into; filled in by the frame as it creates them.
#pragma once
#include <windows.h>

#include "platform/block.h"

struct HostWindows {
    HWND frame = nullptr;     // owned by the shell
    HWND status = nullptr;    // the status bar, owned by the shell; none while hidden
    HWND progress = nullptr;  // the progress bar inside the status bar, while a long operation runs
    bool statusShown = true;  // mirrors the status-bar option (menu item 3999 unchecked)
    HCURSOR keptCursor = nullptr; // the cursor the busy cursor replaced
    bool busy = false;
    // The shortage policy (what to sacrifice when a large allocation fails); plain allocation until it is set.
    PackedDib (*allocWorkBlock)(size_t) = nullptr;
};

extern HostWindows gHostWindows;
