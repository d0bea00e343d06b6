// The end-to-end suite: starts ORBEN.EXE again and again under different INI files and works it through its real
// windows, checking what a person would see and, through the probe add-in, what only the program itself knows.
// Usage: orben_e2e.exe PROGRAM_DIR DATA_DIR OUT_DIR [NAME_FILTER]
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "driver_support.h"
#include "print_scenarios.h"
#include "safety_scenarios.h"
#include "tools_scenarios.h"
#include "text_scenarios.h"

namespace {

// Toolbar buttons: 24 wide from these x positions, y 2 to 24.
constexpr int kButtonY = 12;
int ButtonX(int left) { return left + 12; }
constexpr int kOpenX = 12, kRectangleX = 156, kAxisX = 180, kPickerX = 204, kPolygonX = 228, kRodX = 252;

struct Pictures {
    std::string pal8, ref24, colourful, damaged, locked, jpeg, bigBmp, bigJpeg;
    uint64_t pal8Hash = 0, ref24Hash = 0, colourfulHash = 0, bigHash = 0;
    int jpegW = 0, jpegH = 0;
};
Pictures gPics;
std::vector<std::string> gTimings;

std::string Lower(std::string s) {
    for (char &c : s) c = (char)tolower((unsigned char)c);
    return s;
}
bool EndsWith(const std::string &s, const std::string &tail) {
    return s.size() >= tail.size() && Lower(s.substr(s.size() - tail.size())) == Lower(tail);
}
#define CHECK_ENDS(value, tail)                                                                                    \
    do {                                                                                                           \
        std::string v_ = (value);                                                                                   \
        if (!EndsWith(v_, tail)) Fail(__FILE__, __LINE__, std::string(#value " ends with " tail ": ") + Show(v_));   \
    } while (0)

// The title after an open: the path, and once the view has painted, the scale after it.
bool IsTitleOf(const std::string &text, const std::string &path) {
    return Lower(text) == Lower(path) || Lower(text) == Lower(path + " (100% x 100%)");
}
#define CHECK_TITLE(text, path)                                                                                    \
    do {                                                                                                           \
        std::string t_ = (text);                                                                                    \
        if (!IsTitleOf(t_, path)) Fail(__FILE__, __LINE__, "title " + Show(t_) + " for " + (path));                 \
    } while (0)

// True when `wanted` appear in this order (not necessarily next to each other) among `texts`.
bool InOrder(const std::vector<std::string> &texts, const std::vector<std::string> &wanted) {
    size_t k = 0;
    for (const std::string &t : texts)
        if (k < wanted.size() && Lower(t) == Lower(wanted[k])) ++k;
    return k == wanted.size();
}
std::string Joined(const std::vector<std::string> &texts) {
    std::string all;
    for (const std::string &t : texts) all += (all.empty() ? "" : " | ") + t;
    return all;
}
#define CHECK_TEXTS(texts, ...)                                                                                    \
    do {                                                                                                           \
        std::vector<std::string> got_ = (texts);                                                                    \
        if (!InOrder(got_, __VA_ARGS__)) Fail(__FILE__, __LINE__, "texts in order: " + Joined(got_));              \
    } while (0)


std::string ProbeIni(const std::vector<std::string> &dlls, const std::string &config = "WindowRect=20,20,640,480\r\n") {
    std::string text = "[CONFIG]\r\n" + config + "[Add-in]\r\n";
    for (size_t i = 0; i < dlls.size(); ++i)
        if (!dlls[i].empty()) text += "DLL" + std::to_string(i + 1) + "=" + dlls[i] + "\r\n";
    return text;
}

// Lets pending paints through: the view and the frame paint only when their queues are empty, and posted
// commands overtake them, so ask for the paints directly.
void Settle(const App &app) {
    Sync(app);
    UpdateWindow(app.view);
    UpdateWindow(app.frame);
    Sync(app);
}

// After the message box of an add-in load, WM_CREATE goes on; wait for the frame as Launch would.
bool WaitFrame(App &app) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 15000) {
        app.frame = nullptr;
        HWND w = nullptr;
        while ((w = FindWindowExA(nullptr, w, "Zelka32Class", nullptr))) {
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            if (pid == app.pi.dwProcessId) app.frame = w;
        }
        if (app.frame && IsWindowVisible(app.frame)) {
            FindChildren(app);
            if (app.view) return Sync(app);
        }
        Sleep(10);
    }
    return false;
}

// Opens a picture and waits for the chain to see the open command come back.
bool OpenAndWait(App &app, const std::string &path, int64_t *pressed = nullptr, int64_t *done = nullptr) {
    int64_t t0 = OpenPath(app, path);
    if (!t0) return false;
    int64_t t1 = WaitOpenDone(app);
    if (pressed) *pressed = t0;
    if (done) *done = t1;
    if (!t1) {
        Fail(__FILE__, __LINE__, "the open of " + path + " did not finish");
        return false;
    }
    Settle(app);
    return true;
}

// Reads the frame size of a JPEG from its first SOF marker.
bool JpegSize(const std::string &path, int *w, int *h) {
    FILE *f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    std::vector<unsigned char> d(1 << 20);
    size_t n = std::fread(d.data(), 1, d.size(), f);
    std::fclose(f);
    for (size_t i = 2; i + 9 < n;) {
        if (d[i] != 0xFF) return false;
        unsigned char m = d[i + 1];
        size_t len = (size_t)d[i + 2] << 8 | d[i + 3];
        if (m >= 0xC0 && m <= 0xC2) {
            *h = d[i + 5] << 8 | d[i + 6];
            *w = d[i + 7] << 8 | d[i + 8];
            return true;
        }
        i += 2 + len;
    }
    return false;
}

// ---- scenarios ----

RECT gDefaultRect{};

void FirstStartWithoutIni() {
    WriteIni("");
    App app;
    if (!Launch(app)) return;
    RECT rc = WindowRectOf(app.frame);
    gDefaultRect = rc;
    CHECK(rc.right - rc.left > 100 && rc.bottom - rc.top > 100);
    CHECK_EQ(WindowText(app.frame), std::string("Zelka32 Ver1.22"));
    // No Add-in section: no "拡張(&X)" popup, only the program's own five menus.
    CHECK_EQ(MenuBarItemCount(app), 5);
    CHECK_EQ(Quit(app), 0);
    char expected[64];
    std::snprintf(expected, sizeof expected, "%ld,%ld,%ld,%ld", rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
    CHECK_EQ(IniValue("CONFIG", "WindowRect"), std::string(expected));
    CHECK_EQ(IniValue("CONFIG", "Path"), std::string(""));
}

void WindowRectForms() {
    struct Case {
        const char *value;
        bool useDefault;
    } cases[] = {
        {"10,20,600", true},               // three fields: treated as missing
        {"30,40,600,450", false},          // placed as written
        {"-32000,-32000,160,28", true},    // written while minimised: would be off-screen
        {"100,100,0,0", true},             // no size
    };
    for (const Case &c : cases) {
        WriteIni(std::string("[CONFIG]\r\nWindowRect=") + c.value + "\r\n");
        App app;
        if (!Launch(app)) return;
        RECT rc = WindowRectOf(app.frame);
        if (c.useDefault) {
            CHECK_EQ(rc.right - rc.left, gDefaultRect.right - gDefaultRect.left);
            CHECK_EQ(rc.bottom - rc.top, gDefaultRect.bottom - gDefaultRect.top);
            CHECK_EQ(rc.left, gDefaultRect.left);
            CHECK_EQ(rc.top, gDefaultRect.top);
        } else {
            CHECK_EQ(rc.left, 30L);
            CHECK_EQ(rc.top, 40L);
            CHECK_EQ(rc.right - rc.left, 600L);
            CHECK_EQ(rc.bottom - rc.top, 450L);
        }
        Quit(app);
    }
}

void StatusPartsAfterResize() {
    WriteIni(ProbeIni({"E2EPROBE1.DLL"}));
    App app;
    if (!Launch(app)) return;
    RECT win = WindowRectOf(app.frame), client = ClientRectOf(app.frame);
    const int border = (win.right - win.left) - client.right;
    SetWindowPos(app.frame, nullptr, 0, 0, 500 + border, win.bottom - win.top, SWP_NOMOVE | SWP_NOZORDER);
    Settle(app);
    client = ClientRectOf(app.frame);
    CHECK_EQ(client.right, 500L);
    std::vector<int> parts = StatusParts(app);
    CHECK_EQ(parts.size(), (size_t)2);
    if (parts.size() == 2) {
        CHECK_EQ(parts[0], 200);
        CHECK_EQ(parts[1], 468);
    }
    // The view fills the client area below the 26-pixel toolbar and above the status bar.
    RECT view = ChildRectInParent(app.view);
    RECT status = ClientRectOf(app.status);
    CHECK_EQ(view.top, 26L);
    CHECK_EQ(view.left, 0L);
    CHECK_EQ(view.right, 500L);
    CHECK_EQ(view.bottom, client.bottom - status.bottom);
    Quit(app);
}

void StatusBarHidden() {
    WriteIni(ProbeIni({"E2EPROBE1.DLL"}));
    App app;
    if (!Launch(app)) return;
    Command(app, IDM_VIEW_HIDE_STATUS);
    FindChildren(app);
    CHECK(app.status == nullptr);
    CHECK(Checked(QueryState(app), IDM_VIEW_HIDE_STATUS));
    CHECK_EQ(WindowText(app.frame), std::string("Zelka - "));
    // With the status bar hidden, the texts of the 8-bit conversion go to the caption and no progress bar appears.
    const int textsBefore = TextCount();
    if (OpenAndWait(app, gPics.pal8)) {
        CHECK_TEXTS(TextsSince(textsBefore), {"caption:フルカラー変換中", "caption:" + gPics.pal8, "caption:0,0 (37 x 23)"});
        CHECK(!HasDescendant(app.frame, "msctls_progress32"));
    }
    if (OpenAndWait(app, gPics.colourful)) {
        std::string caption = WindowText(app.frame);
        // The open shows the path, the rebuild the size, a later paint maybe the title: all in the caption.
        if (caption != "0,0 (400 x 300)") CHECK_TITLE(caption, gPics.colourful);
        CHECK(!HasDescendant(app.frame, "msctls_progress32"));
        CHECK(!HasDescendant(app.frame, "msctls_statusbar32"));
        // The view now reaches the bottom of the client area.
        CHECK_EQ(ChildRectInParent(app.view).bottom, ClientRectOf(app.frame).bottom);
        Screenshot(app, "status_hidden");
    }
    Command(app, IDM_VIEW_HIDE_STATUS);
    FindChildren(app);
    CHECK(app.status != nullptr);
    CHECK(!Checked(QueryState(app), IDM_VIEW_HIDE_STATUS));
    CHECK_EQ(WindowText(app.frame), std::string("Zelka32 Ver1.22"));
    CHECK_TITLE(StatusText(app, 1), gPics.colourful);
    Quit(app);
}

void OpenEightBitBmp() {
    WriteIni(ProbeIni({"E2EPROBE1.DLL"}));
    App app;
    if (!Launch(app)) return;
    const int before = LogCount(), textsBefore = TextCount();
    if (!OpenAndWait(app, gPics.pal8)) return Quit(app), void();
    const ProbeState &s = QueryState(app);
    CHECK_EQ(s.dibInfoResult, 1);
    CHECK_EQ((int)s.info.biBitCount, 24);
    CHECK_EQ(s.info.biWidth, 37L);
    CHECK_EQ(s.info.biHeight, 23L);
    CHECK_EQ(s.pixelHash, gPics.pal8Hash);
    CHECK_EQ(s.cornerMatches, 1);
    CHECK_EQ(s.headerCopy.biWidth, 37L);
    CHECK_EQ((int)s.headerCopy.biBitCount, 24);
    CHECK_EQ(s.displayWidth, 37);
    CHECK_EQ(s.displayHeight, 23);
    CHECK_EQ(s.selection.right, 37L);
    CHECK_EQ(s.selection.bottom, 23L);
    CHECK_EQ(s.viewMatches, 1);
    CHECK_EQ(StatusText(app, 0), std::string("0,0 (37 x 23)"));
    CHECK_TITLE(StatusText(app, 1), gPics.pal8);
    // The add-in saw WM_COMMAND 4000 only once the new picture was in place.
    bool seen = false;
    for (int i = before; i < LogCount(); ++i)
        if (LogAt(i).message == WM_COMMAND && LogAt(i).id == IDM_FILE_OPEN) {
            seen = true;
            CHECK_EQ(LogAt(i).width, 37);
            CHECK_EQ(LogAt(i).height, 23);
        }
    CHECK(seen);
    // The conversion to full colour was announced in part 0; then the path in part 1 with part 0 cleared, then
    // the size.
    CHECK_TEXTS(TextsSince(textsBefore), {"0:フルカラー変換中", "1:" + gPics.pal8, "0:", "0:0,0 (37 x 23)"});
    CHECK_EQ(Quit(app), 0);
    // The folder of the opened file is remembered without its trailing backslash.
    CHECK_EQ(Lower(IniValue("CONFIG", "Path")), Lower(gPaths.dataDir));
}

void OpenJpeg() {
    WriteIni(ProbeIni({"E2EPROBE1.DLL"}));
    App app;
    if (!Launch(app)) return;
    if (OpenAndWait(app, gPics.jpeg)) {
        const ProbeState &s = QueryState(app);
        CHECK_EQ((int)s.info.biBitCount, 24);
        CHECK_EQ(s.info.biWidth, (LONG)gPics.jpegW);
        CHECK_EQ(s.info.biHeight, (LONG)gPics.jpegH);
        CHECK(s.pixelHash != 0);
        CHECK(s.corner[0] != s.corner[3] || s.corner[1] != s.corner[2]);
        char size[64];
        std::snprintf(size, sizeof size, "0,0 (%d x %d)", gPics.jpegW, gPics.jpegH);
        CHECK_EQ(StatusText(app, 0), std::string(size));
        CHECK_TITLE(StatusText(app, 1), gPics.jpeg);
    }
    Quit(app);
}

// The program's own message box after a failed open; its text is returned, the box closed.
std::string CloseMessage(const App &app, HWND except, DWORD timeoutMs) {
    HWND box = WaitDialog(app, timeoutMs, except);
    if (!box) return "";
    std::string text = DialogMessage(box);
    PressOk(box);
    WaitGone(box, 5000);
    return text;
}

void FailedOpensKeepThePicture() {
    WriteIni(ProbeIni({"E2EPROBE1.DLL"}));
    App app;
    if (!Launch(app)) return;
    if (!OpenAndWait(app, gPics.ref24)) return Quit(app), void();
    CHECK_EQ(QueryState(app).pixelHash, gPics.ref24Hash);

    // A file that the dialog lists but the program cannot read: held open without sharing by the driver.
    HANDLE hold = CreateFileA(gPics.locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    CHECK(hold != INVALID_HANDLE_VALUE);
    if (OpenPath(app, gPics.locked)) {
        std::string text = CloseMessage(app, nullptr, 10000);
        if (text != "オープン出来ません" && text != "ファイルがオープン出来ません")
            Fail(__FILE__, __LINE__, "unexpected message: " + text);
        WaitOpenDone(app);
        Settle(app);
        const ProbeState &s = QueryState(app);
        CHECK_EQ(s.pixelHash, gPics.ref24Hash);
        CHECK_EQ(s.info.biWidth, 40L);
        CHECK_EQ(s.displayWidth, 40);
    }
    CloseHandle(hold);

    // A file whose header no reader takes: nothing replaces the picture.
    if (OpenPath(app, gPics.damaged)) {
        DWORD start = GetTickCount();
        int64_t done = 0;
        while (!done && GetTickCount() - start < 10000) {
            if (HWND box = WaitDialog(app, 50)) {
                PressOk(box);
                WaitGone(box, 5000);
            }
            done = WaitOpenDone(app, 50);
        }
        CHECK(done != 0);
        Settle(app);
        const ProbeState &s = QueryState(app);
        CHECK_EQ(s.pixelHash, gPics.ref24Hash);
        CHECK_EQ(s.info.biHeight, 30L);
    }
    Quit(app);
}

void ScaleAndSelection() {
    WriteIni(ProbeIni({"E2EPROBE1.DLL"}));
    App app;
    if (!Launch(app)) return;
    RECT view = ClientRectOf(app.view);
    const int w = 4 * view.right, h = view.bottom / 4;
    std::string wide = Join(gPaths.dataDir, "wide.bmp");
    WriteBmp24(wide, w, h, [](int x, int y) { return (uint32_t)((x & 255) << 16 | (y & 255) << 8 | 0x40); });
    if (!OpenAndWait(app, wide)) return Quit(app), void();
    ProbeState s = QueryState(app);
    CHECK_EQ(s.selection.right, (LONG)w);
    Command(app, IDM_EDIT_SELECT_NONE);
    s = QueryState(app);
    CHECK(s.selection.left == 0 && s.selection.top == 0 && s.selection.right == 0 && s.selection.bottom == 0);

    Command(app, IDM_VIEW_AUTO_REDUCE);
    Settle(app);
    s = QueryState(app);
    CHECK(Checked(s, IDM_VIEW_AUTO_REDUCE));
    CHECK(!Checked(s, IDM_VIEW_FULL_SIZE));
    CHECK_EQ(s.scale[0], 4.0f);
    CHECK_EQ(s.scale[1], 4.0f);
    CHECK_ENDS(StatusText(app, 1), "(25% x 25%)");
    Command(app, IDM_EDIT_SELECT_ALL);
    s = QueryState(app);
    CHECK_EQ(s.selection.right, (LONG)(w / 4));
    CHECK_EQ(s.selection.bottom, (LONG)(h / 4));
    Screenshot(app, "auto_reduce");

    Command(app, IDM_VIEW_FULL_SIZE);
    Settle(app);
    s = QueryState(app);
    CHECK(Checked(s, IDM_VIEW_FULL_SIZE));
    CHECK(!Checked(s, IDM_VIEW_AUTO_REDUCE));
    CHECK_EQ(s.scale[0], 1.0f);
    CHECK_EQ(s.scale[1], 1.0f);
    CHECK(s.selection.right == 0 && s.selection.bottom == 0);
    // Turning full size off again leaves the scale where it is.
    Command(app, IDM_VIEW_FULL_SIZE);
    Settle(app);
    s = QueryState(app);
    CHECK(!Checked(s, IDM_VIEW_FULL_SIZE));
    CHECK_EQ(s.scale[0], 1.0f);
    Quit(app);
}

void ScrollBarsAtOnePixelWider() {
    WriteIni(ProbeIni({"E2EPROBE1.DLL"}));
    App app;
    if (!Launch(app)) return;
    RECT full = ClientRectOf(app.view); // no picture: both bars hidden, the client is the full area
    const int W = full.right, H = full.bottom;
    std::string exact = Join(gPaths.dataDir, "fitwidth.bmp"), wider = Join(gPaths.dataDir, "onewider.bmp");
    auto colour = [](int x, int y) { return (uint32_t)(x * 0x010203 + y * 0x030100); };
    WriteBmp24(exact, W, H / 2, colour);
    WriteBmp24(wider, W + 1, H / 2, colour);
    if (OpenAndWait(app, exact)) {
        const ProbeState &s = QueryState(app);
        CHECK_EQ(s.hScrollMax, 0);
        CHECK_EQ(s.vScrollMax, 0);
        CHECK_EQ(ClientRectOf(app.view).right, (LONG)W);
    }
    if (OpenAndWait(app, wider)) {
        const ProbeState &s = QueryState(app);
        CHECK_EQ(s.hScrollShown, 1);
        CHECK_EQ(s.hScrollMax, 1);
        CHECK_EQ(s.vScrollMax, 0);
        CHECK(ClientRectOf(app.view).bottom < H);
    }
    // Exactly as tall as the view, one wider: the horizontal bar takes height, so the vertical one follows.
    std::string both = Join(gPaths.dataDir, "tallwider.bmp");
    WriteBmp24(both, W + 1, H, colour);
    if (OpenAndWait(app, both)) {
        const ProbeState &s = QueryState(app);
        CHECK_EQ(s.hScrollShown, 1);
        CHECK_EQ(s.vScrollShown, 1);
    }
    Quit(app);
}

void CopyOptionsNeverBothOff() {
    WriteIni(ProbeIni({"E2EPROBE1.DLL"}));
    App app;
    if (!Launch(app)) return;
    ProbeState s = QueryState(app);
    CHECK(Checked(s, IDM_EDIT_COPY_INTERNAL) && Checked(s, IDM_EDIT_COPY_DISPLAY));
    CHECK(Checked(s, IDM_FILE_SAVE_INTERNAL) && !Checked(s, IDM_FILE_SAVE_DISPLAY));
    const int clicks[] = {IDM_EDIT_COPY_INTERNAL, IDM_EDIT_COPY_DISPLAY, IDM_EDIT_COPY_INTERNAL, IDM_EDIT_COPY_DISPLAY, IDM_EDIT_COPY_INTERNAL, IDM_EDIT_COPY_DISPLAY, IDM_EDIT_COPY_DISPLAY};
    const bool expect[][2] = {{false, true}, {false, true}, {true, true}, {true, false}, {true, false}, {true, true},
                              {true, false}};
    for (size_t i = 0; i < sizeof clicks / sizeof clicks[0]; ++i) {
        Command(app, clicks[i]);
        s = QueryState(app);
        CHECK_EQ(Checked(s, IDM_EDIT_COPY_INTERNAL), expect[i][0]);
        CHECK_EQ(Checked(s, IDM_EDIT_COPY_DISPLAY), expect[i][1]);
    }
    Quit(app);
}

void ToolbarAndTools() {
    WriteIni(ProbeIni({"E2EPROBE1.DLL"}));
    App app;
    if (!Launch(app)) return;
    ProbeState s = QueryState(app);
    CHECK_EQ(s.isNowTool, IDM_TOOL_RECTANGLE);
    CHECK(Checked(s, IDM_TOOL_RECTANGLE));
    CHECK_EQ(std::string(s.viewCursor), std::string("ARROW"));

    // Pressed on the axis tool, released outside: nothing changes.
    Press(app.frame, ButtonX(kAxisX), kButtonY, 400, 300);
    Settle(app);
    s = QueryState(app);
    CHECK_EQ(s.isNowTool, IDM_TOOL_RECTANGLE);
    CHECK(!Checked(s, IDM_TOOL_AXIS));
    // Pressing the active tool again changes nothing either.
    Click(app.frame, ButtonX(kRectangleX), kButtonY);
    Settle(app);
    s = QueryState(app);
    CHECK_EQ(s.isNowTool, IDM_TOOL_RECTANGLE);
    CHECK(Checked(s, IDM_TOOL_RECTANGLE));
    // The grayed polygon and magic-rod tools cannot be chosen.
    Click(app.frame, ButtonX(kPolygonX), kButtonY);
    Click(app.frame, ButtonX(kRodX), kButtonY);
    Settle(app);
    CHECK_EQ(QueryState(app).isNowTool, IDM_TOOL_RECTANGLE);
    // Without a picture the picker keeps the arrow and the swatch hidden.
    Click(app.frame, ButtonX(kPickerX), kButtonY);
    Settle(app);
    s = QueryState(app);
    CHECK_EQ(s.isNowTool, IDM_TOOL_COLOUR_PICK);
    CHECK_EQ(std::string(s.viewCursor), std::string("ARROW"));
    CHECK_EQ(s.swatchVisible, 0);
    Click(app.frame, ButtonX(kRectangleX), kButtonY);
    Settle(app);

    if (OpenAndWait(app, gPics.ref24)) {
        s = QueryState(app);
        CHECK_EQ(std::string(s.viewCursor), std::string("C1CUR"));
        Click(app.frame, ButtonX(kPickerX), kButtonY);
        Settle(app);
        s = QueryState(app);
        CHECK_EQ(s.isNowTool, IDM_TOOL_COLOUR_PICK);
        CHECK_EQ(s.swatchVisible, 1);
        CHECK_EQ(std::string(s.viewCursor), std::string("C6CUR"));
        CHECK(!Checked(s, IDM_TOOL_RECTANGLE));
        HWND swatch = FindWindowExA(app.view, nullptr, "Zelka32PaletteClass", nullptr);
        if (swatch) {
            RECT r = ChildRectInParent(swatch);
            CHECK_EQ(r.right - r.left, 20L);
            CHECK_EQ(r.bottom - r.top, 20L);
        }
        Screenshot(app, "picker");
        Click(app.frame, ButtonX(kAxisX), kButtonY);
        Settle(app);
        s = QueryState(app);
        CHECK_EQ(s.isNowTool, IDM_TOOL_AXIS);
        CHECK(Checked(s, IDM_TOOL_AXIS));
        CHECK_EQ(s.swatchVisible, 0);
        CHECK_EQ(std::string(s.viewCursor), std::string("C2CUR"));
        Click(app.frame, ButtonX(kRectangleX), kButtonY);
        Settle(app);
        s = QueryState(app);
        CHECK_EQ(s.isNowTool, IDM_TOOL_RECTANGLE);
        CHECK_EQ(s.swatchVisible, 0);
        CHECK_EQ(std::string(s.viewCursor), std::string("C1CUR"));
    }
    // A press on the open button posts the open command: its dialog appears.
    Click(app.frame, ButtonX(kOpenX), kButtonY);
    HWND dialog = WaitDialog(app, 10000);
    CHECK(dialog != nullptr);
    if (dialog) {
        PressCancel(dialog);
        WaitOpenDone(app);
    }
    Quit(app);
}

// Launches with the given add-ins and expects one warning box first (unless `warning` is empty).
bool LaunchWithWarning(App &app, const std::vector<std::string> &dlls, const std::string &warning) {
    WriteIni(ProbeIni(dlls));
    HWND box = nullptr;
    if (!Launch(app, &box)) return false;
    if (warning.empty()) {
        CHECK(box == nullptr);
        if (box) PressOk(box);
    } else {
        CHECK(box != nullptr);
        if (box) {
            CHECK_EQ(WindowText(box), std::string("WARNING"));
            CHECK_EQ(DialogMessage(box), warning);
            PressOk(box);
            WaitGone(box, 5000);
        }
        if (HWND again = WaitDialog(app, 300)) {
            Fail(__FILE__, __LINE__, "a second message: " + DialogMessage(again));
            PressOk(again);
        }
    }
    return WaitFrame(app);
}

std::vector<std::string> ExtensionItems(const ProbeState &s) {
    std::vector<std::string> items;
    for (int i = 0; i < s.extensionCount && i < 8; ++i) items.push_back(s.extension[i]);
    return items;
}

void AddinLoadFailures() {
    {
        App app;
        if (LaunchWithWarning(app, {"NOSUCH.DLL", "E2EPROBE1.DLL"}, "NOSUCH.DLL のロードに失敗しました")) {
            const ProbeState &s = QueryState(app);
            CHECK_EQ(Probe()->loadedProbes, 1);
            CHECK(ExtensionItems(s) == std::vector<std::string>{"Probe 1"});
        }
        Quit(app);
    }
    {
        App app;
        if (LaunchWithWarning(app, {"E2ENOTAD.DLL", "E2EPROBE1.DLL"}, "E2ENOTAD.DLL はZelka３２のＤＬＬではありません")) {
            const ProbeState &s = QueryState(app);
            CHECK(ExtensionItems(s) == std::vector<std::string>{"Probe 1"});
        }
        Quit(app);
    }
    {
        // A library that exists only in the current folder (the data folder here) must not be loaded from there.
        App app;
        if (LaunchWithWarning(app, {"E2EPLANT.DLL", "E2EPROBE1.DLL"}, "E2EPLANT.DLL のロードに失敗しました")) {
            CHECK_EQ(Probe()->loadedProbes, 1);
        }
        Quit(app);
    }
}

void AddinListAndMenu() {
    {
        App app;
        if (LaunchWithWarning(app, {"E2EPROBE1.DLL", "", "E2EPROBE3.DLL"}, "")) {
            const ProbeState &s = QueryState(app);
            CHECK_EQ(Probe()->loadedProbes, 1);
            CHECK(ExtensionItems(s) == std::vector<std::string>{"Probe 1"});
        }
        Quit(app);
    }
    {
        App app;
        if (LaunchWithWarning(app, {"E2EPROBE1.DLL", "E2EPROBE2.DLL", "E2EPROBE3.DLL"}, "")) {
            const ProbeState &s = QueryState(app);
            CHECK_EQ(Probe()->loadedProbes, 3);
            CHECK_EQ(Probe()->contextSlot6Null, 1);
            CHECK((ExtensionItems(s) == std::vector<std::string>{"Probe 1", "Probe 3", "Probe 2"}));
            CHECK_EQ(s.menuBarCount, 6);
            CHECK_EQ(MenuBarItemCount(app), 6); // the outside count agrees with the probe's
            if (s.menuBarCount == 6) {
                CHECK_EQ(std::string(s.menuBar[4]), std::string("拡張(&X)"));
                CHECK_EQ(std::string(s.menuBar[5]), std::string("ﾂｰﾙ(&T)"));
            }
        }
        Quit(app);
    }
}

void AddinChainOrder() {
    App app;
    if (!LaunchWithWarning(app, {"E2EPROBE1.DLL", "E2EPROBE2.DLL"}, "")) return Quit(app), void();
    // The first add-in saw WM_CREATE and passed it on; the second ended it in DefWindowProcA.
    std::vector<int> creates;
    for (int i = 0; i < LogCount(); ++i)
        if (LogAt(i).message == WM_CREATE) creates.push_back(LogAt(i).probe * 10 + LogAt(i).passedTo);
    CHECK((creates == std::vector<int>{11, 22}));
    for (int id : {kProbeItemBase + 2, IDM_EDIT_SELECT_NONE, 12345}) {
        const int from = LogCount();
        Command(app, id);
        std::vector<int> seen;
        for (int i = from; i < LogCount(); ++i)
            if (LogAt(i).message == WM_COMMAND && (int)LogAt(i).id == id) seen.push_back(LogAt(i).probe * 10 + LogAt(i).passedTo);
        CHECK((seen == std::vector<int>{11, 22}));
    }
    // Moving and closing still work: the chain gave the frame its default processing.
    CHECK_EQ(Quit(app), 0);
}

void Timings() {
    WriteIni(ProbeIni({"E2EPROBE1.DLL"}, "WindowRect=0,0,1000,740\r\n"));
    App app;
    if (!Launch(app)) return;
    struct Big {
        const char *label;
        std::string path;
    } bigs[] = {{"BMP", gPics.bigBmp}, {"JPEG", gPics.bigJpeg}};
    for (const Big &b : bigs) {
        if (!FileExists(b.path)) {
            Fail(__FILE__, __LINE__, "missing " + b.path);
            continue;
        }
        int64_t t0 = 0, t1 = 0;
        if (!OpenAndWait(app, b.path, &t0, &t1)) continue;
        ProbeState s = QueryState(app);
        CHECK_EQ(s.info.biWidth, 4000L);
        CHECK_EQ(s.info.biHeight, 3000L);
        if (b.path == gPics.bigBmp) CHECK_EQ(s.pixelHash, gPics.bigHash);
        char line[160];
        std::snprintf(line, sizeof line, "timing: open %s 4000x3000 to painted: %.0f ms", b.label, Milliseconds(t1 - t0));
        gTimings.push_back(line);
        // A cancelled open still rebuilds the display image: from the cancel to the command's return.
        PostMessageA(app.frame, WM_COMMAND, IDM_FILE_OPEN, 0);
        if (HWND dialog = WaitDialog(app, 10000)) {
            LARGE_INTEGER c0;
            QueryPerformanceCounter(&c0);
            PressCancel(dialog);
            int64_t c1 = WaitOpenDone(app);
            std::snprintf(line, sizeof line, "timing: RebuildDisplayImage (%s, after a cancelled open): %.0f ms", b.label,
                          Milliseconds(c1 - c0.QuadPart));
            gTimings.push_back(line);
        }
        Probe()->bitmapOk = -1;
        COPYDATASTRUCT data{kQueryTimeBitmap, 0, nullptr};
        DWORD_PTR result = 0;
        SendMessageTimeoutA(app.frame, WM_COPYDATA, 0, (LPARAM)&data, SMTO_BLOCK, 30000, &result);
        CHECK_EQ(Probe()->bitmapOk, 1);
        std::snprintf(line, sizeof line, "timing: BitmapFromDib by ordinal 12 (%s): %.0f ms", b.label,
                      Milliseconds(Probe()->bitmapTicks));
        gTimings.push_back(line);
    }
    Quit(app);
}

void PictureScreenshot() {
    WriteIni(ProbeIni({"E2EPROBE1.DLL"}));
    App app;
    if (!Launch(app)) return;
    if (OpenAndWait(app, gPics.colourful)) {
        CHECK_EQ(QueryState(app).pixelHash, gPics.colourfulHash);
        Screenshot(app, "picture");
    }
    Quit(app);
}

struct Entry {
    const char *name;
    void (*run)();
};
const Entry kScenarios[] = {
    {"first_start_without_ini", FirstStartWithoutIni},
    {"window_rect_forms", WindowRectForms},
    {"status_parts_after_resize", StatusPartsAfterResize},
    {"status_bar_hidden", StatusBarHidden},
    {"open_8bit_bmp", OpenEightBitBmp},
    {"open_jpeg", OpenJpeg},
    {"failed_opens_keep_picture", FailedOpensKeepThePicture},
    {"scale_and_selection", ScaleAndSelection},
    {"scroll_bars_one_pixel_wider", ScrollBarsAtOnePixelWider},
    {"copy_options_never_both_off", CopyOptionsNeverBothOff},
    {"toolbar_and_tools", ToolbarAndTools},
    {"addin_load_failures", AddinLoadFailures},
    {"addin_list_and_menu", AddinListAndMenu},
    {"addin_chain_order", AddinChainOrder},
    {"picture_screenshot", PictureScreenshot},
    {"timings", Timings},
};

void MakePictures() {
    const std::string &d = gPaths.dataDir;
    gPics.pal8 = Join(d, "pal8.bmp");
    gPics.pal8Hash = WriteBmp8(
        gPics.pal8, 37, 23, [](int i) { return (uint32_t)((i * 37 % 256) << 16 | (255 - i) << 8 | (i * 11 % 256)); },
        [](int x, int y) { return (x * 7 + y * 13) % 256; });
    gPics.ref24 = Join(d, "ref24.bmp");
    gPics.ref24Hash = WriteBmp24(gPics.ref24, 40, 30, [](int x, int y) { return (uint32_t)(x * 6 << 16 | y * 8 << 8 | 0x80); });
    gPics.locked = Join(d, "locked.bmp");
    WriteBmp24(gPics.locked, 8, 8, [](int x, int y) { return 0xFF0000u; });
    gPics.colourful = Join(d, "colourful.bmp");
    gPics.colourfulHash = WriteBmp24(gPics.colourful, 400, 300, [](int x, int y) {
        int dx = x - 200, dy = y - 150;
        bool ring = (dx * dx + dy * dy) / 900 % 2 == 0;
        uint32_t r = (uint32_t)(x * 255 / 399), g = (uint32_t)(y * 255 / 299), b = ring ? 200u : 40u;
        return r << 16 | g << 8 | b;
    });
    // A 40-byte-header-sized file whose header claims an unknown size: no reader takes it.
    gPics.damaged = Join(d, "damaged.bmp");
    FILE *f = std::fopen(gPics.damaged.c_str(), "wb");
    if (f) {
        const unsigned char bytes[] = {'B', 'M', 80, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 99, 0, 0, 0, 4, 0, 0, 0, 4, 0, 0, 0,
                                       1, 0, 24, 0};
        std::fwrite(bytes, 1, sizeof bytes, f);
        std::fclose(f);
    }
    gPics.jpeg = Join(d, "SMALL.JPG");
    if (!JpegSize(gPics.jpeg, &gPics.jpegW, &gPics.jpegH)) std::printf("note: no %s\n", gPics.jpeg.c_str());
    gPics.bigBmp = Join(d, "big.bmp");
    gPics.bigHash = WriteBmp24(gPics.bigBmp, 4000, 3000, [](int x, int y) {
        return (uint32_t)((x / 16) & 255) << 16 | (uint32_t)((y / 12) & 255) << 8 | (uint32_t)((x ^ y) & 255);
    });
    gPics.bigJpeg = Join(d, "BIG.JPG");
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 4) {
        std::printf("usage: orben_e2e PROGRAM_DIR DATA_DIR OUT_DIR [NAME_FILTER]\n");
        return 2;
    }
    gPaths.programDir = argv[1];
    gPaths.dataDir = argv[2];
    gPaths.outDir = argv[3];
    const char *filter = nullptr;
    if (argc > 4) filter = argv[4];
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    gPaths.iniPath = Join(windows, "ORBEN32.INI");
    Probe();
    MakePictures();
    MakeSafetyPictures();
    MakeToolsPictures();
    MakeTextPictures();

    int passed = 0, failed = 0, skipped = 0;
    std::vector<Entry> all(std::begin(kScenarios), std::end(kScenarios));
    for (int i = 0; i < kSafetyScenarioCount; ++i) all.push_back(Entry{kSafetyScenarios[i].name, kSafetyScenarios[i].run});
    for (int i = 0; i < kPrintScenarioCount; ++i) all.push_back(Entry{kPrintScenarios[i].name, kPrintScenarios[i].run});
    for (int i = 0; i < kToolsScenarioCount; ++i) all.push_back(Entry{kToolsScenarios[i].name, kToolsScenarios[i].run});
    for (int i = 0; i < kTextScenarioCount; ++i) all.push_back(Entry{kTextScenarios[i].name, kTextScenarios[i].run});
    for (const Entry &e : all) {
        if (filter && !strstr(e.name, filter)) continue;
        Scenario scenario{e.name, {}};
        gScenario = &scenario;
        std::printf("[ RUN  ] %s\n", e.name);
        std::fflush(stdout);
        DWORD start = GetTickCount();
        e.run();
        gScenario = nullptr;
        if (scenario.skipped && scenario.failures.empty()) {
            ++skipped;
            std::printf("[ SKIP ] %s\n", e.name);
        } else if (scenario.failures.empty()) {
            ++passed;
            std::printf("[  OK  ] %s (%lu ms)\n", e.name, GetTickCount() - start);
        } else {
            ++failed;
            std::printf("[ FAIL ] %s (%zu checks)\n", e.name, scenario.failures.size());
        }
        std::fflush(stdout);
    }
    gTimings.insert(gTimings.end(), gToolsTimings.begin(), gToolsTimings.end());
    FILE *t = std::fopen(Join(gPaths.outDir, "timings.txt").c_str(), "w");
    for (const std::string &line : gTimings) {
        std::printf("%s\n", line.c_str());
        if (t) std::fprintf(t, "%s\n", line.c_str());
    }
    if (t) std::fclose(t);
    WriteIni("");
    if (skipped) std::printf("e2e: %d skipped\n", skipped);
    std::printf("e2e: %d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
