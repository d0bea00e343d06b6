// The view's gestures at 100 %: every point is the client point plus the scroll position, held inside the
// picture; each move repaints, shows its text in the status bar and the floating information, and each release
// hides the information and lets the title timer bring the title back.
#include "view/tools_win.h"

#include <algorithm>
#include <string>

#include "image/clipboard_win.h"
#include "image/dib.h"
#include "image/document_win.h"
#include "platform/host.h"
#include "platform/scoped_win.h"
#include "shell/frame_config.h"
#include "shell/picture_settings.h"
#include "shell/shell_win.h"
#include "shell/toolbar_win.h"
#include "shell/undo_win.h"
#include "transform/rotate.h"
#include "view/float_info_win.h"
#include "view/tool_geometry.h"
#include "view/view_window_win.h"
#include "resource.h"

ToolState gTool;

namespace {

ToolPoint ToPoint(POINT p) { return {(int)p.x, (int)p.y}; }
ToolRect ToRect(const RECT &r) { return {(int)r.left, (int)r.top, (int)r.right, (int)r.bottom}; }
RECT FromRect(ToolRect r) { return RECT{r.left, r.top, r.right, r.bottom}; }

int PictureWidth() { return gDoc.header.biWidth; }
int PictureHeight() { return gDoc.header.biHeight; }

POINT ClientPoint(LPARAM lParam) { return POINT{(short)LOWORD(lParam), (short)HIWORD(lParam)}; }

POINT ViewPoint(HWND view, POINT client) {
    POINT scroll = ScrollPosition(view);
    return POINT{client.x + scroll.x, client.y + scroll.y};
}

POINT Clamped(POINT p) {
    ToolPoint c = ClampToPicture(ToPoint(p), PictureWidth(), PictureHeight());
    return POINT{c.x, c.y};
}

// The view's own DC (the class keeps one) with its origin at the scroll position.
HDC ViewDc(HWND view) {
    HDC dc = GetDC(view);
    POINT scroll = ScrollPosition(view);
    SetWindowOrgEx(dc, scroll.x, scroll.y, nullptr);
    return dc;
}

// The display image again over the whole view (what lies outside the client area cannot be seen, so only the
// visible part is drawn).
void RepaintPicture(HWND view, HDC dc) {
    BITMAP bm{};
    if (!gDoc.displayImage || !GetObjectA(gDoc.displayImage, sizeof bm, &bm)) return;
    RECT client;
    GetClientRect(view, &client);
    const POINT scroll = ScrollPosition(view);
    const int width = std::min<int>(client.right, bm.bmWidth - scroll.x);
    const int height = std::min<int>(client.bottom, bm.bmHeight - scroll.y);
    if (width > 0 && height > 0) PaintPicture(dc, scroll.x, scroll.y, scroll.x, scroll.y, width, height, gDoc.displayImage);
}

// A point of the clamped gesture outside the client area scrolls the view one line towards it.
void AutoScroll(HWND view, POINT p) {
    RECT client;
    GetClientRect(view, &client);
    POINT scroll = ScrollPosition(view);
    const int h = OutsideDirection(p.x - scroll.x, client.right);
    const int v = OutsideDirection(p.y - scroll.y, client.bottom);
    if (h) ScrollView(view, WM_HSCROLL, 0, h > 0 ? SB_LINERIGHT : SB_LINELEFT);
    if (v) ScrollView(view, WM_VSCROLL, 0, v > 0 ? SB_LINEDOWN : SB_LINEUP);
}

// The status text, and the same text in the floating information beside `around` (view coordinates).
void ShowGestureText(HWND view, const std::string &text, RECT around) {
    ShowStatusText(0, text.c_str());
    SetInfoText(text.c_str());
    POINT scroll = ScrollPosition(view);
    OffsetRect(&around, -scroll.x, -scroll.y);
    RECT client, clipped;
    GetClientRect(view, &client);
    ToolRect n = NormaliseRect(ToRect(around));
    around = FromRect(n);
    // A point or a line has no area, so clip it coordinate by coordinate rather than by IntersectRect.
    clipped.left = std::max(around.left, client.left);
    clipped.top = std::max(around.top, client.top);
    clipped.right = std::min(around.right, client.right);
    clipped.bottom = std::min(around.bottom, client.bottom);
    if (clipped.right < clipped.left) clipped.right = clipped.left;
    if (clipped.bottom < clipped.top) clipped.bottom = clipped.top;
    PlaceInfo(clipped);
}

void EndGesture() {
    gTool.drag = kDragIdle;
    ShowInfo(false);
    if (!gDoc.titleNeedsRefresh) {
        gDoc.titleNeedsRefresh = true;
        SetTimer(gShell.frame, kTitleTimerId, kTitleTimerMs, nullptr);
    }
    ReleaseCapture();
    if (gShell.frame) SetActiveWindow(gShell.frame);
}

// ---- rectangle ----

void RectanglePress(HWND view, POINT p) {
    HDC dc = ViewDc(view);
    DrawRubber(dc, gDoc.selection, false);
    ReleaseDC(view, dc);
    gTool.anchor = Clamped(p);
    gTool.rubber = RECT{gTool.anchor.x, gTool.anchor.y, gTool.anchor.x, gTool.anchor.y};
    gTool.drag = kDragRectangle;
    SetCapture(view);
}

void RectangleMove(HWND view, POINT p) {
    HDC dc = ViewDc(view);
    DrawRubber(dc, gTool.rubber, false);
    ReleaseDC(view, dc);
    gTool.rubber = FromRect(RubberRect(ToPoint(gTool.anchor), ToPoint(p), PictureWidth(), PictureHeight()));
    AutoScroll(view, Clamped(p));
    dc = ViewDc(view); // the scroll may have moved the origin
    RepaintPicture(view, dc);
    DrawRubber(dc, gTool.rubber, false);
    ReleaseDC(view, dc);
    const RECT &r = gTool.rubber;
    ShowGestureText(view, RectangleText(r.left, r.top, r.right - r.left, r.bottom - r.top), r);
}

void RectangleRelease() {
    SetSelection(gTool.rubber);
    EndGesture();
}

// ---- rotation axis and angle ----

RECT Line(POINT a, POINT b) { return RECT{a.x, a.y, b.x, b.y}; }

void AxisPress(HWND view, POINT p) {
    gTool.anchor = Clamped(p);
    gTool.rubber = Line(gTool.anchor, gTool.anchor);
    HDC dc = ViewDc(view);
    DrawRubber(dc, gTool.rubber, true);
    ReleaseDC(view, dc);
    gTool.drag = kDragAxis;
    SetCapture(view);
}

void AxisMove(HWND view, POINT p) {
    gTool.rubber = Line(gTool.anchor, Clamped(p));
    AutoScroll(view, Clamped(p));
    HDC dc = ViewDc(view);
    RepaintPicture(view, dc);
    DrawRubber(dc, gTool.rubber, true);
    ReleaseDC(view, dc);
    ShowGestureText(view, "回転軸指定", gTool.rubber);
}

void AxisConfirm() {
    ShowInfo(false);
    gTool.axis = gTool.rubber;
    gTool.drag = kDragAngle; // the capture stays for the angle
}

void AngleMove(HWND view, POINT p) {
    const POINT q = Clamped(p);
    gTool.second = Line(gTool.anchor, q);
    HDC dc = ViewDc(view);
    RepaintPicture(view, dc);
    DrawRubber(dc, gTool.axis, true);
    DrawRubber(dc, gTool.second, true);
    ReleaseDC(view, dc);
    const RECT &a = gTool.axis;
    gTool.angle = AxisAngle({(int)a.left, (int)a.top}, {(int)a.right, (int)a.bottom}, ToPoint(gTool.anchor), ToPoint(q));
    ShowGestureText(view, AngleText(gTool.angle), FromRect(UnionRects(ToRect(gTool.axis), ToRect(gTool.second))));
}

void RotationConfirm(HWND view) {
    gTool.drag = kDragIdle;
    if (gDoc.internalImage) {
        BusyCursor(true);
        StoreUndo();
        // The picture turns the other way round from the angle measured on the screen; on failure it stays.
        PackedDib turned = RotateByAngle(gDoc.internalImage, -gTool.angle, gDoc.fastRotation);
        if (turned) {
            ReplaceInternalImage(turned, UndoRule::kKeep);
            RebuildDisplayImage();
            gDoc.selection = RECT{0, 0, 0, 0};
            ResetPictureSettings();
        }
        BusyCursor(false);
    }
    InvalidateRect(view, nullptr, FALSE);
    ShowStatusText(0, "");
    EndGesture();
}

void RotationCancel(HWND view) {
    ShowStatusText(0, "");
    InvalidateRect(view, nullptr, FALSE);
    EndGesture();
}

// ---- colour picker ----

bool InsidePicture(POINT p) { return p.x >= 0 && p.y >= 0 && p.x < PictureWidth() && p.y < PictureHeight(); }

void ColourPress(HWND view, POINT p) {
    if (!gDoc.internalImage || p.x >= PictureWidth() || p.y >= PictureHeight()) return;
    gTool.anchor = p;
    gTool.drag = kDragColour;
    SetCapture(view);
}

void ColourMove(HWND view, POINT p) {
    // A move off the picture keeps the colour picked last.
    if (!InsidePicture(p)) return;
    {
        BlockLockGuard lock(gDoc.internalImage);
        if (!lock) return;
        gTool.picked = GetDibColor(lock.get(), PictureHeight() - 1 - p.y, p.x);
    }
    if (gShell.swatch) InvalidateRect(gShell.swatch, nullptr, FALSE);
    ShowGestureText(view, PickText(p.x, p.y, gTool.picked), RECT{p.x, p.y, p.x, p.y});
}

// ---- floating paste ----

SIZE PasteSize() {
    DibHeader h{};
    DibInfo(gDoc.paste.dib, &h);
    return SIZE{h.biWidth, h.biHeight};
}

void PastePress(HWND view, POINT client) {
    const POINT scroll = ScrollPosition(view);
    const SIZE size = PasteSize();
    const int left = gDoc.paste.x - scroll.x, top = gDoc.paste.y - scroll.y;
    // Both ends count: the paste's rectangle reaches one pixel past its right and bottom edges.
    const bool inside = client.x >= left && client.x <= left + size.cx && client.y >= top && client.y <= top + size.cy;
    if (!inside) {
        MergeFloatingPaste();
        return;
    }
    gTool.drag = kDragPaste;
    gTool.last = client;
    SetCapture(view);
}

void PasteMove(HWND view, POINT client) {
    const SIZE size = PasteSize();
    const int oldX = gDoc.paste.x, oldY = gDoc.paste.y;
    const int x = oldX + (client.x - gTool.last.x), y = oldY + (client.y - gTool.last.y);
    gTool.last = client;
    ReplaceFloatingPaste(gDoc.paste.dib, gDoc.paste.bitmap, x, y);
    HDC dc = ViewDc(view);
    // The picture again where the paste was (only the part the display image covers), then the paste.
    BITMAP bm{};
    if (gDoc.displayImage && GetObjectA(gDoc.displayImage, sizeof bm, &bm)) {
        const int left = std::max(oldX, 0), top = std::max(oldY, 0);
        const int right = std::min<int>(oldX + size.cx, bm.bmWidth), bottom = std::min<int>(oldY + size.cy, bm.bmHeight);
        if (right > left && bottom > top)
            PaintPicture(dc, left, top, left, top, right - left, bottom - top, gDoc.displayImage);
    }
    PaintPicture(dc, x, y, 0, 0, 0, 0, gDoc.paste.bitmap);
    ReleaseDC(view, dc);
    ShowGestureText(view, RectangleText(x, y, size.cx, size.cy), RECT{x, y, x + size.cx, y + size.cy});
}

// ---- routing ----

void Press(HWND view, POINT client) {
    if (!gDoc.internalImage || gDoc.scale[0] != 1.0f || gDoc.scale[1] != 1.0f) return;
    const POINT p = ViewPoint(view, client);
    if (gDoc.paste.dib) PastePress(view, client);
    else {
        switch (IsNowTool()) {
        case IDM_TOOL_RECTANGLE: RectanglePress(view, p); break;
        case IDM_TOOL_AXIS:
            if (gTool.drag == kDragIdle) AxisPress(view, p);
            else if (gTool.drag == kDragAxis) AxisConfirm();
            else if (gTool.drag == kDragAngle) RotationConfirm(view);
            break;
        case IDM_TOOL_COLOUR_PICK: ColourPress(view, p); break;
        default: break; // the polygon and magic-rod tools have no gesture
        }
    }
}

void Move(HWND view, POINT client) {
    const POINT p = ViewPoint(view, client);
    switch (gTool.drag) {
    case kDragRectangle: RectangleMove(view, p); break;
    case kDragPaste: PasteMove(view, client); break;
    case kDragAxis: AxisMove(view, p); break;
    case kDragColour: ColourMove(view, p); break;
    case kDragAngle: AngleMove(view, p); break;
    default: break;
    }
}

void Release() {
    switch (gTool.drag) {
    case kDragRectangle: RectangleRelease(); break;
    case kDragPaste:
    case kDragColour: EndGesture(); break;
    default: break; // the rotation ends with a click, not a release
    }
}

void PaintSwatch(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT r;
    GetClientRect(hwnd, &r);
    RECT face{r.left, r.top, r.right + 1, r.bottom + 1};
    FillRect(dc, &face, GetSysColorBrush(COLOR_BTNFACE));
    HBRUSH light = GetSysColorBrush(COLOR_BTNHIGHLIGHT), shadow = GetSysColorBrush(COLOR_BTNSHADOW);
    RECT edge{r.left, r.top, r.right, r.top + 1};
    FillRect(dc, &edge, light);
    edge = RECT{r.left, r.top, r.left + 1, r.bottom};
    FillRect(dc, &edge, light);
    edge = RECT{r.right - 2, r.top, r.right, r.bottom};
    FillRect(dc, &edge, shadow);
    edge = RECT{r.left, r.bottom - 2, r.right, r.bottom};
    FillRect(dc, &edge, shadow);
    const uint32_t c = gTool.picked;
    ScopedBrush colour(CreateSolidBrush(RGB((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF)));
    RECT inner{r.left + 3, r.top + 3, r.right - 4, r.bottom - 4};
    FillRect(dc, &inner, colour);
    EndPaint(hwnd, &ps);
}

// The swatch's top-left in the view's client coordinates.
POINT SwatchOrigin(HWND swatch) {
    RECT w;
    GetWindowRect(swatch, &w);
    POINT p{w.left, w.top};
    ScreenToClient(GetParent(swatch), &p);
    return p;
}

void SwatchRelease(HWND hwnd, POINT client) {
    if (!gTool.swatchPressed) return;
    gTool.swatchPressed = false;
    ReleaseCapture();
    HWND view = GetParent(hwnd);
    const int x = gTool.swatchRect.left + client.x - gTool.swatchPress.x;
    const int y = gTool.swatchRect.top + client.y - gTool.swatchPress.y;
    RECT limits;
    GetClientRect(view, &limits);
    if (x >= 0 && y >= 0 && x <= limits.right - 19 && y <= limits.bottom - 19)
        SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

bool OnViewMouse(HWND view, UINT message, LPARAM lParam) {
    const POINT client = ClientPoint(lParam);
    switch (message) {
    case WM_LBUTTONDOWN:
        Press(view, client);
        Move(view, client);
        return true;
    case WM_MOUSEMOVE: Move(view, client); return true;
    case WM_LBUTTONUP: Release(); return true;
    case WM_RBUTTONDOWN:
        if (gTool.drag == kDragAngle) RotationCancel(view);
        return true;
    }
    return false;
}

RECT ToolOutline() { return gTool.drag == kDragRectangle ? gTool.rubber : gDoc.selection; }

RECT DrawRubber(HDC dc, RECT r, bool lineMode) {
    if (lineMode) {
        MoveToEx(dc, r.left, r.top, nullptr);
        LineTo(dc, r.right, r.bottom);
        return r;
    }
    if (r.right <= r.left || r.bottom <= r.top) return RECT{-1, -1, -1, -1};
    InvertOutline(dc, r.left, r.top, r.right, r.bottom);
    return r;
}

void SetSelection(RECT r) {
    ToolRect n = NormaliseRect(ToRect(r));
    ToolPoint a = ClampToPicture({n.left, n.top}, PictureWidth(), PictureHeight());
    ToolPoint b = ClampToPicture({n.right, n.bottom}, PictureWidth(), PictureHeight());
    gDoc.selection = RECT{a.x, a.y, b.x, b.y};
}

LRESULT CALLBACK SwatchWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
    case WM_PAINT: PaintSwatch(hwnd); return 0;
    case WM_LBUTTONDOWN: {
        POINT p = ClientPoint(lParam);
        gTool.swatchPressed = true;
        gTool.swatchPress = p;
        POINT origin = SwatchOrigin(hwnd);
        RECT w;
        GetWindowRect(hwnd, &w);
        gTool.swatchRect = RECT{origin.x, origin.y, origin.x + (w.right - w.left), origin.y + (w.bottom - w.top)};
        SetCapture(hwnd);
        return 0;
    }
    case WM_LBUTTONUP: SwatchRelease(hwnd, ClientPoint(lParam)); return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}
