// The view's tools worked as a person would: mouse messages on the view, keys and toolbar presses on the frame,
// the real clipboard. What the program did is read through the probe add-in, the status bar and the clipboard;
// what it should have done is worked out with the same core code the program links.
#include "tools_scenarios.h"

#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "driver_support.h"
#include "formats/bmp_read.h"
#include "image/clipboard_dib.h"
#include "image/paste_merge.h"
#include "adjust/levels.h"
#include "transform/rotate.h"
#include "view/tool_geometry.h"

std::vector<std::string> gToolsTimings;

namespace {

constexpr int kButtonY = 12;
constexpr int kRectangleButton = 156 + 12, kAxisButton = 180 + 12, kPickerButton = 204 + 12;

struct ToolsPictures {
    std::string big, wide, small, levels, ref;
    uint64_t wideHash = 0, smallHash = 0, refHash = 0;
};
ToolsPictures gTp;

uint32_t WidePixel(int x, int y) { return (uint32_t)(x * 255 / 899) << 16 | (uint32_t)(y * 255 / 599) << 8 | ((x + y) & 255); }
uint32_t SmallPixel(int x, int y) { return (uint32_t)(x * 2) << 16 | (uint32_t)(y * 3) << 8 | (uint32_t)((x * y) & 255); }
uint32_t RefPixel(int x, int y) { return (uint32_t)(x * 6) << 16 | (uint32_t)(y * 8) << 8 | 0x80; }

std::string Ini(const std::string &rect = "WindowRect=20,20,640,480\r\n") {
    return "[CONFIG]\r\n" + rect + "[Add-in]\r\nDLL1=E2EPROBE1.DLL\r\n";
}

// ---- pictures through the core ----

struct CorePicture {
    PackedDib dib = nullptr;
    explicit CorePicture(PackedDib d = nullptr) : dib(d) {}
    ~CorePicture() { BlockFree(dib); }
    CorePicture(const CorePicture &) = delete;
    CorePicture &operator=(const CorePicture &) = delete;
};

PackedDib LoadCore(const std::string &path) {
    std::vector<unsigned char> bytes = ReadBytes(path);
    return OpenBmpMemory(bytes.data(), bytes.size(), nullptr);
}

// The probe's hash: FNV-1a over every row's pixel bytes, bottom row first, padding left out.
uint64_t HashOf(PackedDib dib, int *width = nullptr, int *height = nullptr) {
    DibHeader h;
    if (!DibInfo(dib, &h)) return 0;
    if (width) *width = h.biWidth;
    if (height) *height = h.biHeight;
    BlockLockGuard lock(dib);
    const unsigned char *pixels = DibPixels(lock.get());
    uint64_t hash = 1469598103934665603ull;
    for (int row = 0; row < h.biHeight; ++row) {
        const unsigned char *p = pixels + Stride24(h.biWidth) * row;
        for (size_t i = 0; i < (size_t)h.biWidth * 3; ++i) hash = (hash ^ p[i]) * 1099511628211ull;
    }
    return hash;
}

// ---- driving the view ----

LRESULT Mouse(const App &app, UINT message, int x, int y) {
    const WPARAM keys = message == WM_LBUTTONUP ? 0 : MK_LBUTTON;
    return SendMessageA(app.view, message, keys, MAKELPARAM((WORD)(short)x, (WORD)(short)y));
}
void Down(const App &app, int x, int y) { Mouse(app, WM_LBUTTONDOWN, x, y); }
void Move(const App &app, int x, int y) { Mouse(app, WM_MOUSEMOVE, x, y); }
void Up(const App &app, int x, int y) { Mouse(app, WM_LBUTTONUP, x, y); }
void Drag(const App &app, int x0, int y0, int x1, int y1) {
    Down(app, x0, y0);
    Move(app, x1, y1);
    Up(app, x1, y1);
}

void Key(const App &app, WPARAM key) {
    PostMessageA(app.frame, WM_KEYDOWN, key, 1);
    PostMessageA(app.frame, WM_KEYUP, key, 0xC0000001);
}

void Settle(const App &app) {
    Sync(app);
    UpdateWindow(app.view);
    if (HWND swatch = FindWindowExA(app.view, nullptr, "Zelka32PaletteClass", nullptr)) UpdateWindow(swatch);
    Sync(app);
}

void ChooseTool(const App &app, int buttonX) {
    Click(app.frame, buttonX, kButtonY);
    Settle(app);
}

const ProbeTools &QueryTools(const App &app, const std::vector<POINT> &points = {}) {
    ProbeBlock *block = Probe();
    memset(&block->tools, 0, sizeof block->tools);
    block->tools.pointCount = (int32_t)points.size();
    for (size_t i = 0; i < points.size() && i < kProbePixelPoints; ++i) block->tools.points[i] = points[i];
    COPYDATASTRUCT data{kQueryTools, 0, nullptr};
    DWORD_PTR result = 0;
    SendMessageTimeoutA(app.frame, WM_COPYDATA, 0, (LPARAM)&data, SMTO_BLOCK, 10000, &result);
    if (!block->tools.answered) Fail(__FILE__, __LINE__, "no probe answered the tools query");
    return block->tools;
}

bool SameRect(const RECT &a, long l, long t, long r, long b) {
    return a.left == l && a.top == t && a.right == r && a.bottom == b;
}
std::string ShowRect(const RECT &r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}
#define CHECK_RECT(r, l, t, rr, b)                                                                                 \
    do {                                                                                                           \
        if (!SameRect(r, l, t, rr, b)) Fail(__FILE__, __LINE__, "rectangle " + ShowRect(r));                       \
    } while (0)

POINT ViewScreen(const App &app, int x, int y) {
    POINT p{x, y};
    ClientToScreen(app.view, &p);
    return p;
}

bool Near(long a, long b, long slack = 1) { return a - b <= slack && b - a <= slack; }

// The next message box: its text, answered with OK ("" when none came).
std::string TakeMessage(const App &app, DWORD timeoutMs = 10000) { return TakeMessageBox(app, timeoutMs); }

bool Saw(int from, const std::string &text) {
    for (const std::string &t : TextsSince(from))
        if (t.find(text) != std::string::npos) return true;
    return false;
}

bool OpenPicture(App &app, const std::string &path) {
    if (!OpenPath(app, path) || !WaitOpenDone(app)) {
        Fail(__FILE__, __LINE__, "the open of " + path + " did not finish");
        return false;
    }
    Settle(app);
    return true;
}

// ---- the clipboard, as another program uses it ----

bool OpenClip() {
    for (int i = 0; i < 100; ++i) {
        if (OpenClipboard(nullptr)) return true;
        Sleep(20);
    }
    Fail(__FILE__, __LINE__, "the clipboard stays busy");
    return false;
}

void PutOnClipboard(UINT format, const std::vector<unsigned char> &bytes) {
    if (!OpenClip()) return;
    EmptyClipboard();
    if (!bytes.empty()) {
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
        memcpy(GlobalLock(block), bytes.data(), bytes.size());
        GlobalUnlock(block);
        SetClipboardData(format, block);
    }
    CloseClipboard();
}

std::vector<unsigned char> ClipboardBytes(UINT format) {
    std::vector<unsigned char> bytes;
    if (!OpenClip()) return bytes;
    if (HANDLE data = GetClipboardData(format)) {
        const unsigned char *p = static_cast<const unsigned char *>(GlobalLock(data));
        if (p) bytes.assign(p, p + GlobalSize(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return bytes;
}

bool ClipboardHas(UINT format) {
    if (!OpenClip()) return false;
    const bool has = IsClipboardFormatAvailable(format) != 0;
    CloseClipboard();
    return has;
}

// A 12 x 10 8-bit DIB with four colours, bottom-up, as a CF_DIB block.
const uint32_t kPasteColours[4] = {0x102030, 0xF0E0D0, 0x00FF00, 0x8000FF};
int PasteIndex(int x, int y) { return (x / 3 + y / 2) % 4; }
std::vector<unsigned char> EightBitDib() {
    const int w = 12, h = 10, stride = 12;
    std::vector<unsigned char> b(40 + 16 + stride * h, 0);
    DibHeader hd{40, w, h, 1, 8, 0, 0, 0, 0, 4, 0};
    memcpy(b.data(), &hd, 40);
    for (int i = 0; i < 4; ++i) memcpy(&b[40 + 4 * i], &kPasteColours[i], 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) b[56 + (size_t)stride * (h - 1 - y) + x] = (unsigned char)PasteIndex(x, y);
    return b;
}

// ---- scenarios ----

// Rectangle drags either way, the floating information beside and inside them, Shift+arrows, the right edge,
// the switch-off, and a thousand moves without a GDI object more.
void RectangleAndInformation() {
    WriteIni(Ini());
    App app;
    if (!Launch(app) || !OpenPicture(app, gTp.wide)) return Quit(app), void();
    Drag(app, 200, 150, 50, 40);
    CHECK_RECT(QueryState(app).selection, 50, 40, 200, 150);
    Drag(app, 50, 40, 200, 150);
    CHECK_RECT(QueryState(app).selection, 50, 40, 200, 150);
    CHECK_EQ(StatusText(app, 0), std::string("50,40 (150 x 110)"));

    // A wide rectangle: the information sits at its centre while the mouse is down.
    RECT client = ClientRectOf(app.view);
    Down(app, 60, 50);
    Move(app, 400, 250);
    Settle(app);
    const ProbeTools &t = QueryTools(app);
    CHECK(t.captureIsView);
    CHECK(t.infoVisible);
    POINT centre = ViewScreen(app, (60 + std::min<long>(400, client.right)) / 2, (50 + std::min<long>(250, client.bottom)) / 2);
    CHECK(Near((t.infoRect.left + t.infoRect.right) / 2, centre.x, 2));
    CHECK(Near((t.infoRect.top + t.infoRect.bottom) / 2, centre.y, 2));
    Screenshot(app, "tools_rubber_info");
    Up(app, 400, 250);
    const ProbeTools &after = QueryTools(app);
    CHECK(!after.captureIsView);
    CHECK(!after.infoVisible);

    // A narrow one, dragged down and right: beside it, to the right and below.
    Down(app, 100, 100);
    Move(app, 110, 105);
    const ProbeTools &n = QueryTools(app);
    CHECK(n.infoVisible);
    CHECK(n.infoRect.left > ViewScreen(app, 110, 105).x);
    CHECK(n.infoRect.top > ViewScreen(app, 110, 105).y);
    Up(app, 110, 105);

    // Switched off: the status bar still tells, the window never shows.
    Command(app, IDM_VIEW_HIDE_FLOAT_INFO);
    Down(app, 10, 10);
    Move(app, 300, 200);
    CHECK(!QueryTools(app).infoVisible);
    CHECK_EQ(StatusText(app, 0), std::string("10,10 (290 x 190)"));
    Up(app, 300, 200);
    Command(app, IDM_VIEW_HIDE_FLOAT_INFO);

    // Shift+Left twice on a one-pixel-wide selection stops at width 0.
    Drag(app, 10, 10, 11, 20);
    CHECK_RECT(QueryState(app).selection, 10, 10, 11, 20);
    PostMessageA(app.frame, WM_KEYDOWN, VK_SHIFT, 1);
    Key(app, VK_LEFT);
    Key(app, VK_LEFT);
    PostMessageA(app.frame, WM_KEYUP, VK_SHIFT, 0xC0000001);
    Sync(app);
    CHECK_RECT(QueryState(app).selection, 10, 10, 10, 20);

    // A thousand moves of one drag: no GDI object more afterwards.
    const int before = QueryTools(app).gdiObjects;
    Down(app, 20, 20);
    for (int i = 0; i < 1000; ++i) Move(app, 30 + i % 300, 30 + (i * 7) % 200);
    Up(app, 100, 100);
    Settle(app);
    const int grown = QueryTools(app).gdiObjects;
    CHECK(before > 0);
    CHECK(grown <= before);
    std::printf("note: GDI objects before 1000 moves %d, after %d\n", before, grown);

    // Past the right edge: the rectangle ends at the picture's width, and the view scrolls one line.
    Down(app, 500, 100);
    Move(app, client.right + 2000, 150);
    const ProbeTools &edge = QueryTools(app);
    CHECK_EQ(edge.scroll.x, client.right / 8);
    Up(app, client.right + 2000, 150);
    CHECK_RECT(QueryState(app).selection, 500, 100, 900, 150);
    Quit(app);
}

// The axis and the angle: 0 along the axis, 180 behind its start, a right click cancels; the confirming click
// turns the picture exactly as the core's rotation does, in both modes.
void AxisAndRotation() {
    WriteIni(Ini());
    App app;
    if (!Launch(app) || !OpenPicture(app, gTp.small)) return Quit(app), void();
    ChooseTool(app, kAxisButton);
    CHECK_EQ(QueryState(app).isNowTool, IDM_TOOL_AXIS);
    Down(app, 10, 40);
    Move(app, 110, 40);
    CHECK_EQ(StatusText(app, 0), std::string("回転軸指定"));
    // A right click before the axis is fixed does nothing.
    Mouse(app, WM_RBUTTONDOWN, 110, 40);
    CHECK(QueryTools(app).captureIsView);
    Down(app, 110, 40);
    CHECK_EQ(StatusText(app, 0), std::string(" 0.000(Deg)"));
    Move(app, 150, 40); // beyond the picture: held at its edge, still on the axis
    CHECK_EQ(StatusText(app, 0), std::string(" 0.000(Deg)"));
    Move(app, 0, 40);
    std::string behind = StatusText(app, 0);
    CHECK(behind == " 180.000(Deg)" || behind == " -180.000(Deg)");
    Move(app, 70, 75);
    Settle(app);
    Screenshot(app, "tools_axis_angle");
    Mouse(app, WM_RBUTTONDOWN, 70, 75);
    Settle(app);
    CHECK_EQ(StatusText(app, 0), std::string(""));
    CHECK(!QueryTools(app).captureIsView);
    CHECK_EQ(QueryState(app).pixelHash, gTp.smallHash);

    CorePicture source(LoadCore(gTp.small));
    for (int fast = 0; fast < 2; ++fast) {
        if (fast) Command(app, IDM_ROTATE_FAST);
        const int from = TextCount();
        Down(app, 10, 40);
        Move(app, 110, 40);
        Down(app, 110, 40);
        Move(app, 100, 70);
        Down(app, 100, 70);
        Settle(app);
        const double angle = AxisAngle({10, 40}, {110, 40}, {10, 40}, {100, 70});
        CorePicture expected(RotateByAngle(source.dib, -angle, fast != 0));
        int w = 0, h = 0;
        const uint64_t want = HashOf(expected.dib, &w, &h);
        ProbeState s = QueryState(app);
        CHECK_EQ((int)s.info.biWidth, w);
        CHECK_EQ((int)s.info.biHeight, h);
        CHECK_EQ(s.pixelHash, want);
        CHECK(Saw(from, "度回転 ("));
        CHECK(!QueryTools(app).captureIsView);
        Command(app, IDM_EDIT_UNDO);
        CHECK_EQ(QueryState(app).pixelHash, gTp.smallHash);
    }
    Quit(app);
}

// The picker: the swatch shows the colour under the mouse and keeps it off the picture; the information sits up
// and left of the point; the swatch can be dragged and stays inside the view; the level commands.
void PickerSwatchAndLevels() {
    WriteIni(Ini());
    App app;
    if (!Launch(app) || !OpenPicture(app, gTp.small)) return Quit(app), void();
    ChooseTool(app, kPickerButton);
    CHECK(QueryTools(app).swatchVisible);
    Down(app, 30, 20);
    Move(app, 35, 25);
    Settle(app);
    const uint32_t colour = SmallPixel(35, 25);
    CHECK_EQ(StatusText(app, 0), PickText(35, 25, colour));
    const ProbeTools &t = QueryTools(app);
    CHECK_EQ(t.swatchColour, colour);
    POINT at = ViewScreen(app, 35, 25);
    CHECK(Near(t.infoRect.right, at.x - 10));
    CHECK(Near(t.infoRect.bottom, at.y - 10));
    Move(app, 300, 25); // off the picture: the colour stays
    Settle(app);
    CHECK_EQ(QueryTools(app).swatchColour, colour);
    Up(app, 300, 25);
    Screenshot(app, "tools_swatch");

    HWND swatch = FindWindowExA(app.view, nullptr, "Zelka32PaletteClass", nullptr);
    CHECK(swatch != nullptr);
    SendMessageA(swatch, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(swatch, WM_LBUTTONUP, 0, MAKELPARAM(105, 55));
    CHECK_RECT(QueryTools(app).swatchRect, 100, 50, 120, 70);
    SendMessageA(swatch, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(swatch, WM_LBUTTONUP, 0, MAKELPARAM((WORD)(short)-500, 5));
    CHECK_RECT(QueryTools(app).swatchRect, 100, 50, 120, 70);

    // "ﾊｲﾗｲﾄ(&I)" with the picked colour, as the core stretches it; UnDo brings the picture back.
    CorePicture expected(LoadCore(gTp.small));
    LevelStretch(expected.dib, LevelTriple{(int)(colour & 0xFF), (int)(colour >> 16), (int)(colour >> 8 & 0xFF)},
                 LevelTriple{0, 0, 0}, kLevelPicked);
    Command(app, IDM_LEVEL_HIGHLIGHT);
    CHECK_EQ(QueryState(app).pixelHash, HashOf(expected.dib));
    Command(app, IDM_EDIT_UNDO);
    CHECK_EQ(QueryState(app).pixelHash, gTp.smallHash);
    CHECK(Grayed(QueryState(app), IDM_EDIT_UNDO));

    // With the rectangle tool it asks for the threshold colour and touches nothing.
    ChooseTool(app, kRectangleButton);
    PostMessageA(app.frame, WM_COMMAND, IDM_LEVEL_HIGHLIGHT, 0);
    CHECK_EQ(TakeMessage(app), std::string("「しきい色」を指定してください"));
    ProbeState s = QueryState(app);
    CHECK_EQ(s.pixelHash, gTp.smallHash);
    CHECK(Grayed(s, IDM_EDIT_UNDO));

    // Auto highlight of largest R 200, B 220, G 250 stretches by 220 (R <= B decides).
    if (OpenPicture(app, gTp.levels)) {
        Command(app, IDM_LEVEL_AUTO_HIGHLIGHT);
        s = QueryState(app);
        CHECK_EQ(s.corner[2], 0xE7FFFFu); // top-left (200, 250, 220)
        CHECK_EQ(s.corner[1], 0x73737Fu); // (100, 100, 110)
        CHECK(!Grayed(s, IDM_EDIT_UNDO));
    }
    Quit(app);
}

// Copy and paste through the real clipboard, the floating paste's drag, keys and merges, UnDo, refusals.
void ClipboardAndFloatingPaste() {
    WriteIni(Ini());
    App app;
    if (!Launch(app) || !OpenPicture(app, gTp.ref)) return Quit(app), void();
    // Copy right after the open: the whole picture, as CF_DIB and CF_BITMAP.
    Command(app, IDM_EDIT_COPY);
    CHECK(ClipboardHas(CF_DIB));
    CHECK(ClipboardHas(CF_BITMAP));
    std::vector<unsigned char> dib = ClipboardBytes(CF_DIB);
    CorePicture copied(DecodeClipboardDib(dib.data(), dib.size()));
    int w = 0, h = 0;
    CHECK_EQ(HashOf(copied.dib, &w, &h), gTp.refHash);
    CHECK_EQ(w, 40);
    CHECK_EQ(h, 30);
    CHECK_RECT(QueryState(app).selection, 0, 0, 0, 0);
    // With the display priority the paste takes the bitmap, handed over only now: the same pixels.
    Command(app, IDM_EDIT_PASTE_DISPLAY);
    Command(app, IDM_EDIT_PASTE);
    Key(app, VK_RETURN);
    Settle(app);
    CHECK_EQ(QueryState(app).pixelHash, gTp.refHash);
    CHECK_EQ((int)QueryState(app).info.biWidth, 40);
    Command(app, IDM_EDIT_UNDO);
    Command(app, IDM_EDIT_PASTE_DISPLAY);
    CHECK(!Checked(QueryState(app), IDM_EDIT_PASTE_DISPLAY));

    // At another scale copy and paste refuse, and the clipboard keeps what it held.
    const std::string marker = "marker";
    PutOnClipboard(CF_TEXT, std::vector<unsigned char>(marker.begin(), marker.end() + 1));
    Command(app, IDM_VIEW_AUTO_REDUCE);
    Settle(app);
    CHECK(QueryState(app).scale[0] != 1.0f);
    PostMessageA(app.frame, WM_COMMAND, IDM_EDIT_COPY, 0);
    CHECK_EQ(TakeMessage(app), std::string("この操作は原寸時以外では実行出来ません"));
    CHECK(!ClipboardHas(CF_DIB));
    std::vector<unsigned char> text = ClipboardBytes(CF_TEXT);
    CHECK(text.size() >= 7 && memcmp(text.data(), "marker", 7) == 0);
    Command(app, IDM_VIEW_FULL_SIZE);
    Settle(app);
    CHECK(QueryState(app).scale[0] == 1.0f);

    // An 8-bit DIB floats as 24 bits with its colours; Copy and Select all wait, the hand shows.
    const std::vector<unsigned char> eight = EightBitDib();
    CorePicture paste(DecodeClipboardDib(eight.data(), eight.size()));
    PutOnClipboard(CF_DIB, eight);
    Command(app, IDM_EDIT_PASTE);
    Settle(app);
    ProbeState s = QueryState(app);
    CHECK(Grayed(s, IDM_EDIT_COPY));
    CHECK(Grayed(s, IDM_EDIT_SELECT_ALL));
    CHECK_EQ(std::string(s.viewCursor), std::string("HANDCUR"));
    CHECK_EQ(s.pixelHash, gTp.refHash);
    const ProbeTools &shown = QueryTools(app, {{1, 1}, {4, 3}, {11, 9}, {20, 5}});
    CHECK_EQ(shown.pixels[0], kPasteColours[PasteIndex(1, 1)]);
    CHECK_EQ(shown.pixels[1], kPasteColours[PasteIndex(4, 3)]);
    CHECK_EQ(shown.pixels[2], kPasteColours[PasteIndex(11, 9)]);
    CHECK_EQ(shown.pixels[3], RefPixel(20, 5));
    Screenshot(app, "tools_floating_paste");

    // Dragged to x = -10 and merged with Enter: 10 pixels wider, the old picture shifted right.
    Down(app, 2, 2);
    Move(app, -8, 2);
    Up(app, -8, 2);
    CHECK_EQ(StatusText(app, 0), std::string("-10,0 (12 x 10)"));
    Key(app, VK_RETURN);
    Settle(app);
    CorePicture merged(MergePaste(copied.dib, paste.dib, -10, 0));
    s = QueryState(app);
    CHECK_EQ((int)s.info.biWidth, 50);
    CHECK_EQ((int)s.info.biHeight, 30);
    CHECK_EQ(s.pixelHash, HashOf(merged.dib));
    CHECK(!Grayed(s, IDM_EDIT_COPY));
    CHECK_EQ(std::string(s.viewCursor), std::string("C1CUR"));
    Command(app, IDM_EDIT_UNDO);
    s = QueryState(app);
    CHECK_EQ((int)s.info.biWidth, 40);
    CHECK_EQ(s.pixelHash, gTp.refHash);

    // Moved by keys inside the picture and merged by a press outside it: the size stays.
    PutOnClipboard(CF_DIB, eight);
    Command(app, IDM_EDIT_PASTE);
    for (int i = 0; i < 3; ++i) Key(app, VK_RIGHT);
    Sync(app);
    CHECK_EQ(StatusText(app, 0), std::string("3,0 (12 x 10)"));
    Down(app, 30, 25);
    Up(app, 30, 25);
    Settle(app);
    CorePicture inside(MergePaste(copied.dib, paste.dib, 3, 0));
    s = QueryState(app);
    CHECK_EQ((int)s.info.biWidth, 40);
    CHECK_EQ(s.pixelHash, HashOf(inside.dib));

    // Nothing on the clipboard.
    PutOnClipboard(CF_DIB, {});
    PostMessageA(app.frame, WM_COMMAND, IDM_EDIT_PASTE, 0);
    CHECK_EQ(TakeMessage(app), std::string("加工用メモリがありません"));

    // Hostile blocks: refused before anything reads them; the program lives on.
    std::vector<std::vector<unsigned char>> hostile;
    {
        std::vector<unsigned char> b(64, 0);
        DibHeader hd{0xFFFFFFF0u, 16, 16, 1, 24, 0, 0, 0, 0, 0, 0};
        memcpy(b.data(), &hd, 40);
        hostile.push_back(b);
        hd = DibHeader{40, 16, 0, 1, 24, 0, 0, 0, 0, 0, 0};
        memcpy(b.data(), &hd, 40);
        hostile.push_back(b);
        // More colours than 8 bits index (the system's own conversion finds a whole table and rows).
        std::vector<unsigned char> table(40 + 1024 + 256, 0);
        hd = DibHeader{40, 16, 16, 1, 8, 0, 0, 0, 0, 100000, 0};
        memcpy(table.data(), &hd, 40);
        hostile.push_back(table);
        // Rows the block does not hold.
        std::vector<unsigned char> shortRows(40 + 700, 0x55);
        hd = DibHeader{40, 16, 16, 1, 24, 0, 0, 0, 0, 0, 0};
        memcpy(shortRows.data(), &hd, 40);
        hostile.push_back(shortRows);
    }
    for (const auto &b : hostile) {
        PutOnClipboard(CF_DIB, b);
        PostMessageA(app.frame, WM_COMMAND, IDM_EDIT_PASTE, 0);
        TakeMessage(app, 1500);
        CHECK(Sync(app));
        // The system may have made a bitmap of its own from the block; whatever floats is dropped.
        if (Grayed(QueryState(app), IDM_EDIT_COPY)) Command(app, IDM_EDIT_ERASE);
    }
    s = QueryState(app);
    CHECK_EQ((int)s.info.biWidth, 40);
    CHECK_EQ(s.pixelHash, HashOf(inside.dib));

    // Without a picture the paste becomes the picture, untitled.
    Command(app, IDM_EDIT_ERASE);
    CHECK(!QueryState(app).hasInternalImage);
    PutOnClipboard(CF_DIB, eight);
    Command(app, IDM_EDIT_PASTE);
    Settle(app);
    s = QueryState(app);
    CHECK_EQ((int)s.info.biWidth, 12);
    CHECK_EQ(s.pixelHash, HashOf(paste.dib));
    CHECK(!Grayed(s, IDM_EDIT_COPY));
    CHECK(StatusText(app, 1).find("(無題)") == 0);
    CHECK_EQ(Quit(app), 0);
}

// ---- the X clipboard, through the helper on the display (tests/e2e/xclip_helper.sh) ----

std::string XclipDir() { return Join(gPaths.dataDir, "xclip"); }

// Hands the helper one request and waits for its answer ("" when none came).
std::string AskX(const std::string &verb, const std::string &file) {
    static int sequence = 0;
    const std::string base = Join(XclipDir(), "r" + std::to_string(++sequence));
    FILE *f = std::fopen((base + ".tmp").c_str(), "wb");
    if (!f) return "";
    std::fprintf(f, "%s %s\n", verb.c_str(), file.c_str());
    std::fclose(f);
    MoveFileA((base + ".tmp").c_str(), (base + ".req").c_str());
    for (int i = 0; i < 400; ++i) {
        std::vector<unsigned char> answer = ReadBytes(base + ".done");
        if (!answer.empty()) {
            DeleteFileA((base + ".done").c_str());
            std::string text(answer.begin(), answer.end());
            while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
            return text;
        }
        Sleep(50);
    }
    return "";
}

// Top-down R, G, B bytes of a 24-bit picture, as ImageMagick writes raw RGB.
std::vector<unsigned char> RgbRows(PackedDib dib) {
    std::vector<unsigned char> out;
    DibHeader h;
    if (!DibInfo(dib, &h)) return out;
    BlockLockGuard lock(dib);
    const unsigned char *pixels = DibPixels(lock.get());
    for (int y = 0; y < h.biHeight; ++y) {
        const unsigned char *p = pixels + Stride24(h.biWidth) * (size_t)(h.biHeight - 1 - y);
        for (int x = 0; x < h.biWidth; ++x, p += 3) out.insert(out.end(), {p[2], p[1], p[0]});
    }
    return out;
}

uint32_t XPixel(int x, int y) { return (uint32_t)(x * 7) << 16 | (uint32_t)(255 - y * 9) << 8 | (uint32_t)(x * y % 256); }

// A picture put on the X clipboard by xclip floats with its pixels; what the program copies, xclip reads back as
// a BMP that ImageMagick reads with the same size and pixels.
void XClipboard() {
    if (!FileExists(Join(XclipDir(), "ready"))) {
        std::printf("note: no xclip helper on this display\n");
        gScenario->skipped = true;
        return;
    }
    WriteBmp24(Join(XclipDir(), "x_in.bmp"), 37, 23, XPixel);
    CHECK_EQ(AskX("put", "x_in.bmp"), std::string("ok"));
    WriteIni(Ini());
    App app;
    if (!Launch(app) || !OpenPicture(app, gTp.ref)) return Quit(app), void();
    // The system learns of the new owner from the X server; give it a moment if the first paste finds nothing.
    for (int attempt = 0; attempt < 20; ++attempt) {
        PostMessageA(app.frame, WM_COMMAND, IDM_EDIT_PASTE, 0);
        const std::string message = TakeMessage(app, 500);
        Sync(app);
        if (message.empty() && Grayed(QueryState(app), IDM_EDIT_COPY)) break;
        Sleep(250);
    }
    Settle(app);
    CHECK(Grayed(QueryState(app), IDM_EDIT_COPY));
    const ProbeTools &shown = QueryTools(app, {{0, 0}, {36, 22}, {20, 11}});
    CHECK_EQ(shown.pixels[0], XPixel(0, 0));
    CHECK_EQ(shown.pixels[1], XPixel(36, 22));
    CHECK_EQ(shown.pixels[2], XPixel(20, 11));
    Key(app, VK_RETURN);
    Settle(app);
    CorePicture ref(LoadCore(gTp.ref)), in(LoadCore(Join(XclipDir(), "x_in.bmp")));
    CorePicture merged(MergePaste(ref.dib, in.dib, 0, 0));
    CHECK_EQ(QueryState(app).pixelHash, HashOf(merged.dib));

    Command(app, IDM_EDIT_COPY);
    CHECK_EQ(AskX("get", "x_out.bmp"), std::string("ok 40 30"));
    CHECK(ReadBytes(Join(XclipDir(), "x_out.bmp.rgb")) == RgbRows(merged.dib));
    CHECK_EQ(Quit(app), 0);
}

double Since(const LARGE_INTEGER &t0) {
    LARGE_INTEGER t1;
    QueryPerformanceCounter(&t1);
    return Milliseconds(t1.QuadPart - t0.QuadPart);
}

void Timing(const char *what, double ms) {
    char line[160];
    std::snprintf(line, sizeof line, "timing: %s (4000x3000): %.1f ms", what, ms);
    gToolsTimings.push_back(line);
}

// A 4000 x 3000 picture: one move of a rectangle drag, copy, paste, merge, the arbitrary rotation by 30 degrees.
void ToolsTimings() {
    WriteIni(Ini("WindowRect=0,0,1000,740\r\n"));
    App app;
    if (!FileExists(gTp.big)) return Fail(__FILE__, __LINE__, "missing " + gTp.big);
    if (!Launch(app) || !OpenPicture(app, gTp.big)) return Quit(app), void();
    LARGE_INTEGER t0;
    Down(app, 10, 10);
    double worst = 0, total = 0;
    for (int i = 0; i < 50; ++i) {
        QueryPerformanceCounter(&t0);
        Move(app, 100 + i * 7, 80 + i * 5);
        double ms = Since(t0);
        total += ms;
        worst = std::max(worst, ms);
    }
    Up(app, 450, 330);
    Timing("rectangle drag, one mouse move, worst of 50", worst);
    Timing("rectangle drag, one mouse move, mean of 50", total / 50);
    Command(app, IDM_EDIT_SELECT_ALL);
    QueryPerformanceCounter(&t0);
    SendMessageA(app.frame, WM_COMMAND, IDM_EDIT_COPY, 0);
    Timing("copy of the whole picture, both options", Since(t0));
    CHECK(ClipboardHas(CF_DIB));
    QueryPerformanceCounter(&t0);
    SendMessageA(app.frame, WM_COMMAND, IDM_EDIT_PASTE, 0);
    Timing("paste as a floating paste", Since(t0));
    CHECK(Grayed(QueryState(app), IDM_EDIT_COPY));
    Down(app, 5, 5);
    Move(app, 25, 15);
    Up(app, 25, 15);
    QueryPerformanceCounter(&t0);
    SendMessageA(app.frame, WM_KEYDOWN, VK_RETURN, 1);
    Timing("merge of the floating paste", Since(t0));
    CHECK_EQ((int)QueryState(app).info.biWidth, 4020);
    // Where the copy's time goes: each source alone.
    Command(app, IDM_EDIT_COPY_DISPLAY);
    QueryPerformanceCounter(&t0);
    SendMessageA(app.frame, WM_COMMAND, IDM_EDIT_COPY, 0);
    Timing("copy, internal image only (CF_DIB)", Since(t0));
    Command(app, IDM_EDIT_COPY_DISPLAY);
    Command(app, IDM_EDIT_COPY_INTERNAL);
    QueryPerformanceCounter(&t0);
    SendMessageA(app.frame, WM_COMMAND, IDM_EDIT_COPY, 0);
    Timing("copy, display image only (CF_BITMAP)", Since(t0));
    Command(app, IDM_EDIT_COPY_INTERNAL);
    CHECK(Checked(QueryState(app), IDM_EDIT_COPY_INTERNAL));

    Command(app, IDM_EDIT_UNDO);
    ChooseTool(app, kAxisButton);
    Down(app, 50, 300);
    Move(app, 483, 300);
    Down(app, 483, 300);
    Move(app, 483, 50);
    CHECK_EQ(StatusText(app, 0), AngleText(AxisAngle({50, 300}, {483, 300}, {50, 300}, {483, 50})));
    QueryPerformanceCounter(&t0);
    Down(app, 483, 50);
    Timing("arbitrary rotation by 30 degrees, click to repainted picture", Since(t0));
    CHECK(QueryState(app).info.biWidth > 4000);
    Quit(app);
}

} // namespace

const ToolsScenario kToolsScenarios[] = {
    {"tools_rectangle_and_information", RectangleAndInformation},
    {"tools_axis_and_rotation", AxisAndRotation},
    {"tools_picker_swatch_levels", PickerSwatchAndLevels},
    {"tools_clipboard_and_floating_paste", ClipboardAndFloatingPaste},
    {"tools_x_clipboard", XClipboard},
    {"tools_timings", ToolsTimings},
};
const int kToolsScenarioCount = sizeof kToolsScenarios / sizeof kToolsScenarios[0];

void MakeToolsPictures() {
    const std::string &d = gPaths.dataDir;
    gTp.big = Join(d, "big.bmp");
    gTp.wide = Join(d, "tools_wide.bmp");
    gTp.wideHash = WriteBmp24(gTp.wide, 900, 600, WidePixel);
    gTp.small = Join(d, "tools_small.bmp");
    gTp.smallHash = WriteBmp24(gTp.small, 120, 80, SmallPixel);
    gTp.ref = Join(d, "tools_ref.bmp");
    gTp.refHash = WriteBmp24(gTp.ref, 40, 30, RefPixel);
    gTp.levels = Join(d, "tools_levels.bmp");
    WriteBmp24(gTp.levels, 4, 4, [](int x, int y) { return x == 0 && y == 0 ? 0xC8FADCu : 0x64646Eu; });
}
