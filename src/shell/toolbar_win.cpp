// The toolbar strip drawn and hit-tested by the frame itself, the menu mirrors and the tool cursor.
#include "shell/toolbar_win.h"

#include "image/document_win.h"
#include "shell/shell_win.h"
#include "shell/toolbar_model.h"
#include "platform/scoped_win.h"
#include "resource.h"

namespace {

ToolbarTable gToolbar; // lives from WM_CREATE to WM_DESTROY

// Draws one face of button n; false when its bitmap is missing.
bool DrawFace(HDC dc, int n, int32_t bitmapId) {
    const ToolButton &b = gToolbar.button[n];
    ScopedBitmap bitmap(LoadBitmapA(gShell.instance, MAKEINTRESOURCEA(bitmapId)));
    if (!bitmap) return false;
    MemoryDc memory(dc);
    SelectedObject selected(memory, bitmap);
    BitBlt(dc, b.x, b.y, b.width, b.height, memory, 0, 0, SRCCOPY);
    return true;
}

void RedrawButtons(uint32_t mask) {
    if (!mask || !gShell.frame) return;
    {
        WindowDc dc(gShell.frame);
        for (int i = 0; i < gToolbar.count; ++i)
            if (mask & (1u << i)) DrawButtons(gShell.frame, dc, i + 1);
    }
    RECT strip{0, 0, 0, kToolbarHeight};
    RECT client;
    GetClientRect(gShell.frame, &client);
    strip.right = client.right;
    InvalidateRect(gShell.frame, &strip, FALSE);
}

// Waits for the button-up of a toolbar press. Returns false when the press ended some other way (capture taken
// by another window, the thread cancelled the mode): that counts as a release outside the button.
bool TrackRelease(HWND frame, POINT *up) {
    for (;;) {
        MSG msg;
        // Look before waiting: the button-up may already be queued.
        while (PeekMessageA(&msg, nullptr, WM_MOUSEFIRST, 0x209, PM_REMOVE)) {
            if (msg.message == WM_LBUTTONUP) {
                up->x = (short)LOWORD(msg.lParam);
                up->y = (short)HIWORD(msg.lParam);
                if (msg.hwnd != frame) MapWindowPoints(msg.hwnd, frame, up, 1);
                return true;
            }
        }
        if (GetCapture() != frame) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
    }
}

// The menu's check marks follow the strip: this is how the Tools menu shows the active tool.
void FollowButtonInMenu(HWND frame, int n) {
    HMENU menu = GetMenu(frame);
    const ToolButton &b = gToolbar.button[n];
    if (menu) CheckMenuItem(menu, (UINT)b.command, (UINT)(b.state & MF_CHECKED));
}

} // namespace

void SetUpToolbar(HWND frame, HDC dc) {
    SetUpToolbarTable(&gToolbar);
    for (int i = 0; i < gToolbar.count; ++i) FollowButtonInMenu(frame, i);
    DrawButtons(frame, dc, 0);
}

void DrawButtons(HWND frame, HDC dc, int which) {
    int first = which == 0 ? 0 : which - 1;
    int last = which == 0 ? gToolbar.count : which;
    for (int i = first; i < last && i < gToolbar.count; ++i)
        if (!DrawFace(dc, i, ButtonFace(gToolbar.button[i]))) break;
}

void PressButton(HWND frame, int x, int y) {
    int n = HitTestButton(gToolbar, x, y);
    if (n < 0 || (gToolbar.button[n].state & kButtonGrayed)) return;
    WindowDc dc(frame);
    DrawFace(dc, n, PressedFace(gToolbar.button[n]));
    SetCapture(frame);
    POINT up{-1, -1};
    bool released = TrackRelease(frame, &up);
    if (GetCapture() == frame) ReleaseCapture();
    if (released && HitTestButton(gToolbar, up.x, up.y) == n) ActivateButton(frame, dc, n);
    DrawButtons(frame, dc, n + 1);
}

void ActivateButton(HWND frame, HDC dc, int n) {
    uint32_t redraw = 0;
    int32_t command = ActivateButtonState(&gToolbar, n, &redraw);
    if (command) PostMessageA(frame, WM_COMMAND, (WPARAM)command, 0);
    for (int i = 0; i < gToolbar.count; ++i) {
        if (!(redraw & (1u << i))) continue;
        FollowButtonInMenu(frame, i);
        DrawButtons(frame, dc, i + 1);
    }
    UpdateToolCursor();
    if (gDoc.view) InvalidateRect(gDoc.view, nullptr, FALSE);
}

void MirrorCheck(HMENU menu, UINT command, UINT flags) {
    CheckMenuItem(menu, command, flags);
    uint32_t redraw = 0;
    MirrorCheckState(&gToolbar, (int32_t)command, (int32_t)flags, &redraw);
    RedrawButtons(redraw);
}

void MirrorEnable(HMENU menu, UINT command, UINT flags) {
    EnableMenuItem(menu, command, flags);
    uint32_t redraw = 0;
    MirrorEnableState(&gToolbar, (int32_t)command, (int32_t)flags, &redraw);
    RedrawButtons(redraw);
}

void UpdateToolCursor() {
    HWND view = gDoc.view;
    if (!view) return;
    HCURSOR cursor = gShell.defaultViewCursor;
    bool swatch = false;
    if (gDoc.internalImage) {
        switch (IsNowTool()) {
        case IDM_TOOL_RECTANGLE: cursor = gShell.toolCursor[0]; break;
        case IDM_TOOL_AXIS: cursor = gShell.toolCursor[1]; break;
        case IDM_TOOL_COLOUR_PICK: cursor = gShell.toolCursor[5]; swatch = true; break;
        default: break;
        }
        if (!cursor) cursor = gShell.defaultViewCursor;
        // Over a floating paste the hand says it can be dragged, whatever the tool.
        if (gDoc.paste.dib && gShell.handCursor) cursor = gShell.handCursor;
    }
    SetClassLongPtrA(view, GCLP_HCURSOR, (LONG_PTR)cursor);
    if (gShell.swatch) {
        if (swatch) SetWindowPos(gShell.swatch, nullptr, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOZORDER | SWP_NOSIZE);
        else SetWindowPos(gShell.swatch, nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE);
    }
    // The class cursor shows at the next mouse move; show it now when the mouse is over the view.
    POINT p;
    if (GetCursorPos(&p) && WindowFromPoint(p) == view) SetCursor(cursor);
}

int WINAPI IsNowTool() noexcept { return NowTool(gToolbar); }
