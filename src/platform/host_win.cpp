// The window program's host: messages as message boxes on the frame, status and progress in the status bar.
#include <windows.h>
#include <commctrl.h>

#include "platform/host.h"
#include "platform/host_win.h"

HostWindows gHostWindows;

void ShowMessage(const char *text, const char *caption) {
    MessageBoxA(gHostWindows.frame, text, caption, MB_OK);
}

bool IsStatusBarShown() { return gHostWindows.status != nullptr && gHostWindows.statusShown; }

void ShowStatusText(int part, const char *text) {
    if (IsStatusBarShown()) SendMessageA(gHostWindows.status, SB_SETTEXTA, (WPARAM)part, (LPARAM)text);
    else if (gHostWindows.frame) SetWindowTextA(gHostWindows.frame, text);
}

void BeginProgress() {
    if (!gHostWindows.status) return;
    if (!gHostWindows.progress) {
        RECT rc;
        GetClientRect(gHostWindows.status, &rc);
        gHostWindows.progress = CreateWindowExA(0, "msctls_progress32", "", WS_CHILD | WS_VISIBLE, 0, 3, 200,
                                                rc.bottom - 3, gHostWindows.status, nullptr,
                                                GetModuleHandleA(nullptr), nullptr);
    }
    SendMessageA(gHostWindows.progress, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    SendMessageA(gHostWindows.progress, PBM_SETSTEP, 5, 0);
    SendMessageA(gHostWindows.progress, PBM_SETPOS, 0, 0);
}

void SetProgress(int percent) {
    if (gHostWindows.progress) SendMessageA(gHostWindows.progress, PBM_SETPOS, (WPARAM)percent, 0);
}

void EndProgress() {
    if (gHostWindows.progress) DestroyWindow(gHostWindows.progress);
    gHostWindows.progress = nullptr;
}

void RestoreScaleTitle() {
    if (gHostWindows.restoreTitle) gHostWindows.restoreTitle();
}

void BusyCursor(bool on) {
    if (on) {
        HCURSOR busy = LoadCursorA(GetModuleHandleA(nullptr), "CANVEXCUR");
        if (!busy) busy = LoadCursor(nullptr, IDC_WAIT);
        gHostWindows.keptCursor = SetCursor(busy);
    } else {
        HCURSOR busy = SetCursor(gHostWindows.keptCursor);
        if (busy) DestroyCursor(busy);
    }
}

PackedDib AllocWorkBlock(size_t bytes) {
    if (gHostWindows.allocWorkBlock) return gHostWindows.allocWorkBlock(bytes);
    return BlockAlloc(bytes);
}
