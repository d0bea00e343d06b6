// The floating information window. Its font is made once with the window and deleted with it: it is used on
// every mouse move of every gesture, and a font per move would use up the process's GDI objects.
#include "view/float_info_win.h"

#include <cstring>

#include "image/document_win.h"
#include "platform/scoped_win.h"
#include "view/tool_geometry.h"

namespace {

constexpr const char *kInfoClass = "Zelka32RubberClass";
constexpr size_t kInfoCapacity = 80;

struct FloatInfo {
    HWND window = nullptr;
    HFONT font = nullptr;
    char text[kInfoCapacity] = "";
};
FloatInfo gInfo;

HFONT InfoFont() {
    if (!gInfo.font) gInfo.font = CreateFontA(-10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "System");
    return gInfo.font;
}

void Paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    SetMapMode(dc, MM_TEXT);
    SetBkMode(dc, TRANSPARENT);
    RECT client;
    GetClientRect(hwnd, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    {
        SelectedObject font(dc, InfoFont());
        int y = 0;
        ForEachInfoLine(gInfo.text, kInfoCapacity, [&](size_t start, size_t length) {
            ExtTextOutA(dc, 1, y, ETO_CLIPPED, nullptr, gInfo.text + start, (UINT)length, nullptr);
            SIZE size{};
            GetTextExtentPoint32A(dc, gInfo.text + start, (int)length, &size);
            y += size.cy;
        });
    }
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK FloatInfoWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
    case WM_SETTEXT:
        SetInfoText(reinterpret_cast<const char *>(lParam));
        return TRUE;
    case WM_PAINT: Paint(hwnd); return 0;
    case WM_DESTROY:
        if (gInfo.font) DeleteObject(gInfo.font);
        gInfo.font = nullptr;
        gInfo.window = nullptr;
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

} // namespace

bool RegisterFloatInfoClass(HINSTANCE instance) {
    WNDCLASSA c{};
    c.style = CS_PARENTDC | CS_SAVEBITS;
    c.lpfnWndProc = FloatInfoWndProc;
    c.hInstance = instance;
    c.hCursor = LoadCursor(nullptr, IDC_ARROW);
    c.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    c.lpszClassName = kInfoClass;
    return RegisterClassA(&c) != 0;
}

HWND CreateFloatInfo(HWND frame, HINSTANCE instance) {
    gInfo.window = CreateWindowExA(0, kInfoClass, nullptr, WS_POPUP | WS_BORDER, 0, 0, 10, 10, frame, nullptr, instance,
                                   nullptr);
    return gInfo.window;
}

HWND FloatInfoWindow() { return gInfo.window; }

void SetInfoText(const char *text) {
    strncpy(gInfo.text, text ? text : "", kInfoCapacity - 1);
    gInfo.text[kInfoCapacity - 1] = 0;
    if (gInfo.window) InvalidateRect(gInfo.window, nullptr, TRUE);
}

void PlaceInfo(RECT rect) {
    if (gDoc.floatInfoHidden || !gInfo.window || !gDoc.view) return;
    SIZE text{};
    {
        WindowDc dc(gInfo.window);
        SetMapMode(dc, MM_TEXT);
        SelectedObject font(dc, InfoFont());
        GetTextExtentPoint32A(dc, gInfo.text, (int)strlen(gInfo.text), &text);
    }
    RECT window, client;
    GetWindowRect(gInfo.window, &window);
    GetClientRect(gInfo.window, &client);
    const int width = (int)text.cx + (window.right - window.left - client.right) + 2;
    // The border's height too, so the text is not clipped by it.
    const int height = (int)text.cy + (window.bottom - window.top - client.bottom);
    ToolPoint at = InfoPosition({(int)rect.left, (int)rect.top, (int)rect.right, (int)rect.bottom}, width, height);
    POINT screen{at.x, at.y};
    ClientToScreen(gDoc.view, &screen);
    SetWindowPos(gInfo.window, nullptr, screen.x, screen.y, width, height,
                 SWP_SHOWWINDOW | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ShowInfo(bool show) {
    if (!gInfo.window) return;
    if (show && gDoc.floatInfoHidden) return;
    SetWindowPos(gInfo.window, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | (show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}
