// DispWndProc and its painting and scrolling, over the document state.
#include "view/view_window_win.h"

#include "image/clipboard_win.h"
#include "image/document_win.h"
#include "platform/host.h"
#include "platform/scoped_win.h"
#include "shell/frame_config.h"
#include "shell/shell_win.h"
#include "shell/toolbar_win.h"
#include "view/drop_files_win.h"
#include "view/tools_win.h"
#include "view/view_geometry.h"
#include "resource.h"

namespace {

bool BarShown(HWND view, int bar) {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE;
    if (!GetScrollInfo(view, bar, &si)) return false;
    return si.nMax > si.nMin;
}

void OnPaint(HWND hwnd) {
    if (gDoc.titleRepaint) {
        gDoc.titleRepaint = false;
        RestoreScaleTitle();
    }
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    HBRUSH gray = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    POINT scroll = ScrollPosition(hwnd);
    RECT client;
    GetClientRect(hwnd, &client);
    SetWindowOrgEx(dc, scroll.x, scroll.y, nullptr);
    DibHeader h;
    if (DibInfo(gDoc.internalImage, &h) && gDoc.displayImage) {
        PaintPicture(dc, 0, 0, 0, 0, 0, 0, gDoc.displayImage);
        BITMAP bm{};
        GetObjectA(gDoc.displayImage, sizeof bm, &bm);
        MarginRect margins[2];
        int n = MarginRects(ScaledExtent(bm.bmWidth, gDoc.scale[0]), ScaledExtent(bm.bmHeight, gDoc.scale[1]), scroll.x,
                            scroll.y, client.right, client.bottom, margins);
        for (int i = 0; i < n; ++i) {
            RECT r{margins[i].left + scroll.x, margins[i].top + scroll.y, margins[i].right + scroll.x,
                   margins[i].bottom + scroll.y};
            FillRect(dc, &r, gray);
        }
        if (gDoc.paste.bitmap) {
            PaintPicture(dc, ScaledExtent(gDoc.paste.x, gDoc.scale[0]), ScaledExtent(gDoc.paste.y, gDoc.scale[1]), 0, 0,
                         0, 0, gDoc.paste.bitmap);
        } else if (gDoc.scale[0] == 1.0f && gDoc.scale[1] == 1.0f && IsNowTool() == IDM_TOOL_RECTANGLE) {
            DrawRubber(dc, ToolOutline(), false);
        }
        UpdateScrollRanges(hwnd, gDoc.header.biWidth, gDoc.header.biHeight);
    } else {
        UpdateScrollRanges(hwnd, 0, 0);
        RECT r{scroll.x, scroll.y, client.right + scroll.x, client.bottom + scroll.y};
        FillRect(dc, &r, gray);
    }
    EndPaint(hwnd, &ps);
}

void OnScroll(HWND hwnd, UINT message, WPARAM wParam) {
    int code = LOWORD(wParam);
    int thumb = 0;
    if (code == SB_THUMBTRACK || code == SB_THUMBPOSITION) {
        // The message carries only 16 bits of the position; the bar knows all 32.
        SCROLLINFO si{};
        si.cbSize = sizeof si;
        si.fMask = SIF_TRACKPOS;
        GetScrollInfo(hwnd, message == WM_HSCROLL ? SB_HORZ : SB_VERT, &si);
        thumb = si.nTrackPos;
    }
    ScrollView(hwnd, message, thumb, code);
}

void OnPaletteChanged(HWND hwnd, HWND changer) {
    if (changer == hwnd || !gDoc.displayPalette) return;
    {
        WindowDc dc(hwnd);
        RealizedPalette palette(dc, gDoc.displayPalette, TRUE);
        if (palette.realized()) {
            InvalidateRect(hwnd, nullptr, FALSE);
            MessageBeep(0);
        }
    }
    InvalidateRect(hwnd, nullptr, FALSE);
}

} // namespace


int PaintPicture(HDC dc, int dstX, int dstY, int srcX, int srcY, int srcWidth, int srcHeight, HBITMAP bitmap) {
    if (!dc || !bitmap) return 0;
    HWND view = gDoc.view;
    if (view) {
        POINT scroll = ScrollPosition(view);
        SetWindowOrgEx(dc, scroll.x, scroll.y, nullptr);
    }
    RealizedPalette palette(dc, gDoc.displayPalette);
    MemoryDc memory(dc);
    RealizedPalette memoryPalette(memory, gDoc.displayPalette);
    SelectedObject selected(memory, bitmap);
    BITMAP bm{};
    GetObjectA(bitmap, sizeof bm, &bm);
    if (srcWidth == 0) srcWidth = bm.bmWidth;
    if (srcHeight == 0) srcHeight = bm.bmHeight;
    if (bitmap == gDoc.displayImage && view) {
        float oldX = gDoc.scale[0], oldY = gDoc.scale[1];
        if (gDoc.autoReduce) {
            RECT client;
            GetClientRect(view, &client);
            float s = AutoReduceDivisor(bm.bmWidth, bm.bmHeight, client.right, client.bottom, gDoc.scale[0]);
            gDoc.scale[0] = gDoc.scale[1] = s;
        }
        if (gDoc.scale[0] != oldX || gDoc.scale[1] != oldY) RestoreScaleTitle();
    }
    SetStretchBltMode(dc, COLORONCOLOR);
    return StretchBlt(dc, dstX, dstY, ScaledExtent(srcWidth, gDoc.scale[0]), ScaledExtent(srcHeight, gDoc.scale[1]),
                      memory, srcX, srcY, srcWidth, srcHeight, SRCCOPY);
}

void UpdateScrollRanges(HWND view, int width, int height) {
    RECT client;
    GetClientRect(view, &client);
    ScrollInput in{};
    in.clientWidth = client.right;
    in.clientHeight = client.bottom;
    in.hBarShown = BarShown(view, SB_HORZ);
    in.vBarShown = BarShown(view, SB_VERT);
    in.hBarHeight = GetSystemMetrics(SM_CYHSCROLL);
    in.vBarWidth = GetSystemMetrics(SM_CXVSCROLL);
    in.pictureWidth = width;
    in.pictureHeight = height;
    in.scaleX = gDoc.scale[0];
    in.scaleY = gDoc.scale[1];
    ScrollRanges r = ComputeScrollRanges(in);
    SetScrollRange(view, SB_VERT, 0, r.vMax, TRUE);
    SetScrollRange(view, SB_HORZ, 0, r.hMax, TRUE);
}

void ScrollView(HWND view, UINT message, int thumb, int code) {
    const bool horizontal = message == WM_HSCROLL;
    const int bar = horizontal ? SB_HORZ : SB_VERT;
    RECT client;
    GetClientRect(view, &client);
    int extent = horizontal ? client.right : client.bottom;
    int minPos = 0, maxPos = 0;
    GetScrollRange(view, bar, &minPos, &maxPos);
    int current = GetScrollPos(view, bar);
    int target = ScrollTarget(code, extent, thumb, current, maxPos);
    if (target < minPos) target = minPos;
    int delta = target - current;
    if (delta != 0) {
        SetScrollPos(view, bar, target, TRUE);
        ScrollWindow(view, horizontal ? -delta : 0, horizontal ? 0 : -delta, nullptr, nullptr);
    }
    InvalidateRect(view, nullptr, FALSE);
}

POINT ScrollPosition(HWND view) { return POINT{GetScrollPos(view, SB_HORZ), GetScrollPos(view, SB_VERT)}; }

void InvertOutline(HDC dc, int left, int top, int right, int bottom) {
    PatBlt(dc, left, top, right - left, 1, DSTINVERT);
    PatBlt(dc, left, top, 1, bottom - top, DSTINVERT);
    PatBlt(dc, right - 1, top, 1, bottom - top, DSTINVERT);
    PatBlt(dc, left, bottom - 1, right - left, 1, DSTINVERT);
}

LRESULT CALLBACK DispWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
    case WM_PAINT: OnPaint(hwnd); return 1;
    case WM_ERASEBKGND: return 1;
    case WM_HSCROLL:
    case WM_VSCROLL: OnScroll(hwnd, message, wParam); return 1;
    case WM_SIZE:
        UpdateScrollRanges(hwnd, gDoc.header.biWidth, gDoc.header.biHeight);
        InvalidateRect(hwnd, nullptr, FALSE);
        return 1;
    case WM_PALETTECHANGED: OnPaletteChanged(hwnd, reinterpret_cast<HWND>(wParam)); return 1;
    case WM_DROPFILES: OnDropFiles(hwnd, reinterpret_cast<HDROP>(wParam)); return 1;
    case WM_LBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN: OnViewMouse(hwnd, message, lParam); return 1;
    case WM_RENDERFORMAT:
    case WM_RENDERALLFORMATS:
    case WM_DESTROYCLIPBOARD: OnClipboardMessage(hwnd, message, wParam); return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}
