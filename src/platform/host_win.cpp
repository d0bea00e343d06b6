// The window program's host: messages as message boxes on the frame, status and progress in the status bar or
// the frame caption, the busy cursor.
#include <windows.h>
#include <commctrl.h>

#include "image/document_win.h"
#include "platform/host.h"
#include "platform/host_win.h"
#include "shell/frame_config.h"

HostWindows gHostWindows;

void ShowMessage(const char *text, const char *caption) {
    MessageBoxA(gHostWindows.frame, text, caption, MB_OK);
}

bool IsStatusBarShown() { return gHostWindows.status != nullptr && gHostWindows.statusShown; }

void ShowStatusText(int part, const char *text) {
    if (IsStatusBarShown()) SendMessageA(gHostWindows.status, SB_SETTEXTA, (WPARAM)part, (LPARAM)text);
    // Clearing the coordinates part has no caption equivalent: it must not blank the title shown there.
    else if (gHostWindows.frame && !(part == 0 && text && text[0] == '\0')) SetWindowTextA(gHostWindows.frame, text);
}

void BeginProgress() {
    // Progress lives in the status bar; without one the callers write their texts to the caption instead.
    if (!IsStatusBarShown()) return;
    if (!gHostWindows.progress) {
        RECT rc;
        GetClientRect(gHostWindows.status, &rc);
        gHostWindows.progress = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE, 0, 3, 200, rc.bottom - 3,
                                                gHostWindows.status, nullptr, GetModuleHandleA(nullptr), nullptr);
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
    ShowStatusText(1, ScaleTitle(gDoc.title, gDoc.scale[0], gDoc.scale[1]).c_str());
}

void BusyCursor(bool on) {
    // One on, then one off: a second "on" would lose the cursor to restore.
    if (on == gHostWindows.busy) return;
    gHostWindows.busy = on;
    if (on) {
        HCURSOR busy = LoadCursorA(GetModuleHandleA(nullptr), "CANVEXCUR");
        if (!busy) busy = LoadCursor(nullptr, IDC_WAIT);
        gHostWindows.keptCursor = SetCursor(busy);
    } else {
        HCURSOR busy = SetCursor(gHostWindows.keptCursor);
        if (busy && busy != LoadCursor(nullptr, IDC_WAIT)) DestroyCursor(busy);
    }
}

PackedDib AllocWorkBlock(size_t bytes) {
    if (gHostWindows.allocWorkBlock) return gHostWindows.allocWorkBlock(bytes);
    return BlockAlloc(bytes);
}
