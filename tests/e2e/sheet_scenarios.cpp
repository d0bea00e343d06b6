// The adjustment sheet worked through its real controls: pages switched with the tab control, values typed into
// the edits, buttons pressed, clicks and drags in the preview and the histogram panel. The preview is read from
// the screen and the picture through the probe; both are compared with the core's filters run here on the same
// pixels (the same functions orbentool runs).
#include "sheet_scenarios.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "adjust/edges.h"
#include "adjust/histogram_average.h"
#include "adjust/levels.h"
#include "adjust/noise_run.h"
#include "adjust/saturation.h"
#include "adjust/sheet_geometry.h"
#include "adjust/sharpen.h"
#include "adjust/tone.h"
#include "driver_support.h"
#include "image/colour_stats.h"
#include "view/regions.h"
#include "view/stipple.h"

#ifndef IDC_APPLY_BUTTON
#define IDC_APPLY_BUTTON 0x3021 // the property sheet's Apply button
#endif

namespace {

using PixelFn = std::function<uint32_t(int, int)>; // (x, top-down y) -> 0xRRGGBB

struct SheetPicture {
    std::string path;
    int w = 0, h = 0;
    PixelFn pixel;
};
SheetPicture gTexture, gCoords, gTones, gTiny, gRow;

// Flat patches with faint noise between busy ones, so thresholds and edges all have something to do.
uint32_t TexturePixel(int x, int y) {
    if ((x / 40 + y / 30) % 3 == 0) {
        const int v = 100 + (x * 7 + y * 3) % 5;
        return (uint32_t)v << 16 | (uint32_t)(v + 20) << 8 | (uint32_t)(v - 30);
    }
    const uint32_t r = (x * 13 ^ y * 7) & 255, g = ((x + y) * 5 + ((x * y) >> 3)) & 255, b = (x * y + 17 * x) & 255;
    return r << 16 | g << 8 | b;
}
// Each pixel tells its own position, so the preview's first pixel gives the origin.
uint32_t CoordPixel(int x, int y) {
    return (uint32_t)(x & 255) << 16 | (uint32_t)(y & 255) << 8 | (uint32_t)((x >> 8) | (y >> 8) << 4);
}
POINT OriginOf(uint32_t c) {
    return POINT{(LONG)(((c >> 16) & 255) | (c & 15) << 8), (LONG)(((c >> 8) & 255) | ((c >> 4) & 15) << 8)};
}

// ---- core pictures in the driver ----

class Dib {
public:
    explicit Dib(PackedDib d = nullptr) : d_(d) {}
    ~Dib() { if (d_) BlockFree(d_); }
    Dib(const Dib &) = delete;
    Dib &operator=(const Dib &) = delete;
    Dib(Dib &&o) noexcept : d_(o.d_) { o.d_ = nullptr; }
    Dib &operator=(Dib &&o) noexcept {
        if (this != &o) {
            if (d_) BlockFree(d_);
            d_ = o.d_;
            o.d_ = nullptr;
        }
        return *this;
    }
    PackedDib get() const { return d_; }

private:
    PackedDib d_;
};

Dib MakeDib(int w, int h, const PixelFn &pixel) {
    Dib dib(MakePicture(kDibHeaderSize, w, h, 1u | 24u << 16, 0, 0, 0, 0, 0, 0));
    BlockLockGuard lock(dib.get());
    unsigned char *p = DibPixels(lock.get());
    const size_t stride = (size_t)DibRowStride(w, 24);
    for (int row = 0; row < h; ++row)
        for (int x = 0; x < w; ++x) {
            const uint32_t c = pixel(x, h - 1 - row);
            unsigned char *q = p + stride * row + 3 * (size_t)x;
            q[0] = (unsigned char)c;
            q[1] = (unsigned char)(c >> 8);
            q[2] = (unsigned char)(c >> 16);
        }
    return dib;
}
Dib MakeDib(const SheetPicture &p) { return MakeDib(p.w, p.h, p.pixel); }

struct Pixels {
    int w = 0, h = 0;
    std::vector<uint32_t> c; // top-down
    uint32_t at(int x, int y) const { return c[(size_t)y * w + x]; }
};

Pixels PixelsOf(PackedDib dib) {
    Pixels out;
    DibHeader h;
    if (!DibInfo(dib, &h)) return out;
    out.w = h.biWidth;
    out.h = h.biHeight;
    out.c.resize((size_t)out.w * out.h);
    BlockLockGuard lock(dib);
    const unsigned char *p = DibPixels(lock.get());
    const size_t stride = (size_t)DibRowStride(out.w, 24);
    for (int y = 0; y < out.h; ++y)
        for (int x = 0; x < out.w; ++x) {
            const unsigned char *q = p + stride * (out.h - 1 - y) + 3 * (size_t)x;
            out.c[(size_t)y * out.w + x] = (uint32_t)q[0] | (uint32_t)q[1] << 8 | (uint32_t)q[2] << 16;
        }
    return out;
}

// The probe's hash of a picture's pixel bytes.
uint64_t HashOf(PackedDib dib) {
    DibHeader h;
    if (!DibInfo(dib, &h)) return 0;
    BlockLockGuard lock(dib);
    const unsigned char *p = DibPixels(lock.get());
    const size_t stride = (size_t)DibRowStride(h.biWidth, 24);
    uint64_t hash = 1469598103934665603ull;
    for (int row = 0; row < h.biHeight; ++row)
        for (size_t i = 0; i < (size_t)h.biWidth * 3; ++i) hash = (hash ^ p[stride * row + i]) * 1099511628211ull;
    return hash;
}

// ---- the sheet's windows ----

struct SheetWindows {
    HWND sheet = nullptr;
    HWND page = nullptr;
    RECT square{}; // the preview square, inclusive, in page client coordinates
    RECT panel{};  // the histogram panel
};

Pixels ReadScreen(App &app, HWND page, int x, int y, int w, int h);

// The program lays the page out from its template's size, before the sheet stretches the page: find the panel's
// right edge (its last column is always plain black) on the first row and work back from it. A page just shown
// may not have painted yet, so the row is read again for a while.
void Layout(App &app, SheetWindows &s) {
    int right = -1, size = 0;
    for (const DWORD start = GetTickCount();; Sleep(50)) {
        RECT rc = ClientRectOf(s.page);
        Pixels row = ReadScreen(app, s.page, 0, 2, rc.right, 1);
        right = -1;
        for (int x = row.w - 1; x > 0 && right < 0; --x)
            if (row.at(x, 0) == 0) right = x;
        size = right < 0 ? 0 : (right - 1) / 2; // right = 2 S + 1 while the panel is narrower than 254
        if (size >= 20 || GetTickCount() - start >= 3000) break;
    }
    s.square = {2, 2, size, size};
    s.panel = {size + 3, 2, right, size};
    if (size < 20) Fail(__FILE__, __LINE__, "no histogram panel on the page");
}

std::string EditText(HWND edit) {
    char text[64] = "";
    SendMessageA(edit, WM_GETTEXT, sizeof text, (LPARAM)text);
    return text;
}

HWND CurrentPage(HWND sheet) { return (HWND)SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0); }

bool OpenSheet(App &app, SheetWindows &s) {
    // The real pointer left over the histogram panel would draw its guide line and hold the mouse capture, which
    // the buttons pressed here need.
    SetCursorPos(0, 0);
    PostMessageA(app.frame, WM_COMMAND, IDM_ADJUST_SHEET, 0);
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 10000) {
        HWND d = WaitDialog(app, 50);
        if (d && WindowText(d).find("画像") != std::string::npos && CurrentPage(d)) {
            s.sheet = d;
            s.page = CurrentPage(d);
            Layout(app, s);
            Sync(app);
            return true;
        }
    }
    Fail(__FILE__, __LINE__, "the sheet \"画像\" did not open");
    return false;
}

// Through the tab control: it tells the sheet, which changes pages.
void SelectPage(App &app, SheetWindows &s, int index) {
    HWND tab = (HWND)SendMessageA(s.sheet, PSM_GETTABCONTROL, 0, 0);
    SendMessageA(tab, TCM_SETCURFOCUS, (WPARAM)index, 0);
    Sync(app);
    s.page = CurrentPage(s.sheet);
    if ((int)SendMessageA(tab, TCM_GETCURSEL, 0, 0) != index) Fail(__FILE__, __LINE__, "page not selected");
    Layout(app, s);
}

void PressButton(App &app, HWND window, int id) {
    PostMessageA(GetDlgItem(window, id), BM_CLICK, 0, 0);
    Sync(app);
}
void Type(App &app, HWND page, int id, const std::string &text) {
    SendMessageA(GetDlgItem(page, id), WM_SETTEXT, 0, (LPARAM)text.c_str());
    Sync(app);
}
void Choose(App &app, HWND page, int id, int item) {
    HWND combo = GetDlgItem(page, id);
    SendMessageA(combo, CB_SETCURSEL, (WPARAM)item, 0);
    PostMessageA(page, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), (LPARAM)combo);
    Sync(app);
}
bool IsChecked(HWND page, int id) { return SendMessageA(GetDlgItem(page, id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

// The next message box other than the sheet: its text, answered with OK ("" when none came).
std::string TakeBox(App &app, const SheetWindows &s, DWORD ms = 5000) {
    std::string text = TakeMessageBox(app, ms, s.sheet);
    Sync(app);
    return text;
}

// The page's pixels as the screen shows them, top-down.
Pixels ReadScreen(App &app, HWND page, int x, int y, int w, int h) {
    Sync(app);
    UpdateWindow(page);
    Sync(app);
    Pixels out;
    if (w <= 0 || h <= 0) return out;
    POINT at{x, y};
    ClientToScreen(page, &at);
    out.w = w;
    out.h = h;
    out.c = CaptureScreen(RECT{at.x, at.y, at.x + w, at.y + h});
    return out;
}

// The preview at zoom x 1 or a reduction: one screen pixel per preview pixel from the square's corner.
Pixels ReadPreview(App &app, const SheetWindows &s, int w, int h) {
    return ReadScreen(app, s.page, s.square.left, s.square.top, w, h);
}
int SquareSize(const SheetWindows &s) { return s.square.right - s.square.left + 1; }

// Counts the pixels that differ, and reports the first.
int Differences(const Pixels &got, const Pixels &want, const char *what) {
    if (got.w != want.w || got.h != want.h) {
        Fail(__FILE__, __LINE__, std::string(what) + ": size " + std::to_string(got.w) + "x" + std::to_string(got.h) +
                                     " vs " + std::to_string(want.w) + "x" + std::to_string(want.h));
        return -1;
    }
    int n = 0;
    for (int y = 0; y < got.h; ++y)
        for (int x = 0; x < got.w; ++x)
            if (got.at(x, y) != want.at(x, y) && n++ == 0) {
                char line[160];
                snprintf(line, sizeof line, "%s: first difference at (%d,%d): %06X vs %06X", what, x, y, got.at(x, y),
                         want.at(x, y));
                Fail(__FILE__, __LINE__, line);
            }
    return n;
}

// A known UnDo state: Apply on "ﾉｲｽﾞ補正２" with no radio chosen (the picture keeps its pixels), then the page's
// UnDo, which grays the menu item. Leaves that page shown.
void GrayUndo(App &app, SheetWindows &s);

// The region a preview at zoom x 1 shows from (x0, y0), as the core copies it.
Dib Region(const SheetPicture &p, int x0, int y0, int size) {
    Dib whole = MakeDib(p);
    const int w = p.w - x0 < size ? p.w - x0 : size, h = p.h - y0 < size ? p.h - y0 : size;
    return Dib(CopyDibRect(whole.get(), x0, y0, x0 + w, y0 + h));
}

bool OpenPicture(App &app, const SheetPicture &p) {
    if (!OpenPath(app, p.path) || !WaitOpenDone(app)) {
        Fail(__FILE__, __LINE__, "cannot open " + p.path);
        return false;
    }
    Sync(app);
    UpdateWindow(app.view);
    return Sync(app);
}

std::string Ini() { return "[CONFIG]\r\nWindowRect=20,20,640,480\r\n[Add-in]\r\nDLL1=E2EPROBE1.DLL\r\n"; }

bool Start(App &app, const SheetPicture &p) {
    WriteIni(Ini());
    return Launch(app) && OpenPicture(app, p);
}

// ---- what each page's filter should do ----

using CoreFilter = std::function<Dib(Dib)>; // takes a picture, gives the filtered one

struct PageCase {
    int tab;
    const char *name;
    std::function<void(App &, HWND)> set; // types the parameters into the page
    CoreFilter filter;
    const char *tool;    // the orbentool command with the same parameters: "COMMAND|OPTIONS"
};

Dib InPlace(Dib d, const std::function<void(PackedDib)> &f) {
    f(d.get());
    return d;
}

ToneSettings Tone(int r, int g, int b, int k) {
    ToneSettings s;
    s.densityRed = r;
    s.densityGreen = g;
    s.densityBlue = b;
    s.contrast = k;
    return s;
}

std::vector<PageCase> PageCases() {
    std::vector<PageCase> cases;
    cases.push_back({0, "noise1",
                     [](App &app, HWND page) {
                         Type(app, page, IDC_NOISE_THRESHOLD, "60");
                         PressButton(app, page, IDC_NOISE_JPEG);
                     },
                     [](Dib d) {
                         return InPlace(std::move(d), [](PackedDib p) {
                             NoiseRunSettings s;
                             s.smoothing.threshold = 60;
                             s.smoothing.jpeg = true;
                             NoiseRun(p, s, false);
                         });
                     }, "noise|--threshold 60 --jpeg"});
    cases.push_back({1, "noise2 minimum variance",
                     [](App &app, HWND page) { PressButton(app, page, IDC_NOISE_MIN_VARIANCE); },
                     [](Dib d) {
                         return InPlace(std::move(d), [](PackedDib p) {
                             NoiseRunSettings s;
                             s.kind = kNoiseMinVariance;
                             NoiseRun(p, s, false);
                         });
                     }, "minvar|"});
    cases.push_back({1, "noise2 median", [](App &app, HWND page) { PressButton(app, page, IDC_NOISE_MEDIAN); },
                     [](Dib d) {
                         return InPlace(std::move(d), [](PackedDib p) {
                             NoiseRunSettings s;
                             s.kind = kNoiseMedian;
                             NoiseRun(p, s, false);
                         });
                     }, "median|"});
    cases.push_back({2, "saturation", [](App &app, HWND page) { Type(app, page, IDC_SATURATION, "-40"); },
                     [](Dib d) { return InPlace(std::move(d), [](PackedDib p) { SaturationRun(p, -40, false); }); }, "saturation|--value -40"});
    cases.push_back({3, "density",
                     [](App &app, HWND page) {
                         Type(app, page, IDC_DENSITY_RED, "30");
                         Type(app, page, IDC_DENSITY_GREEN, "-20");
                         Type(app, page, IDC_DENSITY_BLUE, "65");
                         Type(app, page, IDC_CONTRAST, "40");
                     },
                     [](Dib d) { return InPlace(std::move(d), [](PackedDib p) { ToneRun(p, Tone(30, -20, 65, 40)); }); }, "tone|--density 30,-20,65 --contrast 40"});
    cases.push_back({4, "edges", [](App &app, HWND page) { PressButton(app, page, IDC_OTHER_EDGES); },
                     [](Dib d) { return Dib(EdgeMap(d.get(), false)); }, "edges|"});
    cases.push_back({4, "sharpen strong",
                     [](App &app, HWND page) {
                         PressButton(app, page, IDC_OTHER_SHARPEN);
                         PressButton(app, page, IDC_OTHER_STRONG);
                     },
                     [](Dib d) { return Dib(Sharpen(d.get(), true, false)); }, "sharpen|--strong"});
    return cases;
}

void GrayUndo(App &app, SheetWindows &s) {
    SelectPage(app, s, 1);
    PressButton(app, s.sheet, IDC_APPLY_BUTTON);
    PressButton(app, s.page, IDC_SHEET_UNDO);
    CHECK(Grayed(QueryState(app), IDM_EDIT_UNDO));
}

// Runs the Windows build of orbentool from the program's folder on IN, writing OUT; the elapsed milliseconds, or
// -1 when it could not run or failed.
double RunTool(const char *tool, const std::string &in, const std::string &out) {
    const std::string command(tool);
    const size_t bar = command.find('|');
    const std::string exe = Join(gPaths.programDir, "orbentool.exe");
    std::string line = "\"" + exe + "\" " + command.substr(0, bar) + " \"" + in + "\" \"" + out + "\" " +
                       command.substr(bar + 1) + " -q";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    LARGE_INTEGER t0, t1;
    QueryPerformanceCounter(&t0);
    if (!CreateProcessA(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        Fail(__FILE__, __LINE__, "cannot run " + line);
        return -1;
    }
    WaitForSingleObject(pi.hProcess, 120000);
    QueryPerformanceCounter(&t1);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    if (code != 0) Fail(__FILE__, __LINE__, line + " ended with " + std::to_string(code));
    return code == 0 ? Milliseconds(t1.QuadPart - t0.QuadPart) : -1;
}

// The probe's hash of the pixels of a 24-bit BMP file.
uint64_t FileHash(const std::string &path) {
    FILE *f = std::fopen(path.c_str(), "rb");
    if (!f) return 0;
    std::vector<unsigned char> b;
    unsigned char chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) b.insert(b.end(), chunk, chunk + n);
    std::fclose(f);
    auto le = [&](size_t at) { return at + 4 <= b.size() ? (uint32_t)b[at] | b[at + 1] << 8 | b[at + 2] << 16 | (uint32_t)b[at + 3] << 24 : 0u; };
    const uint32_t offset = le(10);
    const int w = (int)le(18), h = (int)le(22);
    const size_t stride = ((size_t)w * 3 + 3) & ~(size_t)3;
    if (w <= 0 || h <= 0 || offset + stride * h > b.size()) return 0;
    uint64_t hash = 1469598103934665603ull;
    for (int row = 0; row < h; ++row)
        for (size_t i = 0; i < (size_t)w * 3; ++i) hash = (hash ^ b[offset + stride * row + i]) * 1099511628211ull;
    return hash;
}

// ---- scenarios ----

// Each page: its preview at zoom x 1 is the core filter of the copied region, Apply changes the picture exactly
// as the core filter of the whole picture, and the page's UnDo (or the menu's) brings it back. A screenshot of
// every page; "ﾉｲｽﾞ補正２" with no radio chosen keeps the picture but takes an undo copy.
void PagesPreviewAndApply() {
    App app;
    if (!Start(app, gTexture)) return;
    const uint64_t original = QueryState(app).pixelHash;
    SheetWindows s;
    if (!OpenSheet(app, s)) return Quit(app), void();
    static const char *const kTitles[5] = {"ノイズ補正１", "ﾉｲｽﾞ補正２", "彩度補正(±64)", "濃度補正(±64)", "その他"};
    HWND tab = (HWND)SendMessageA(s.sheet, PSM_GETTABCONTROL, 0, 0);
    CHECK_EQ((int)SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0), 5);
    for (int i = 0; i < 5; ++i) {
        SelectPage(app, s, i);
        // The sheet gives page 3 its title over the template's caption: only the tab shows it.
        if (i != 2) CHECK_EQ(WindowText(s.page), std::string(kTitles[i]));
        PressButton(app, s.page, IDC_SHEET_PREVIEW);
        UpdateWindow(s.page);
        Screenshot(app, "sheet-page-" + std::to_string(i + 1));
    }
    // No radio chosen on "ﾉｲｽﾞ補正２": Apply keeps the pixels, yet UnDo is now possible.
    GrayUndo(app, s);
    PressButton(app, s.sheet, IDC_APPLY_BUTTON);
    CHECK_EQ(QueryState(app).pixelHash, original);
    CHECK(!Grayed(QueryState(app), IDM_EDIT_UNDO));

    bool menuUndo = false;
    for (const PageCase &c : PageCases()) {
        gScenario->name = std::string("sheet_pages_preview_apply/") + c.name;
        SelectPage(app, s, c.tab);
        c.set(app, s.page);
        PressButton(app, s.page, IDC_SHEET_PREVIEW);
        const int size = SquareSize(s);
        Pixels want = PixelsOf(c.filter(Region(gTexture, 0, 0, size)).get());
        Differences(ReadPreview(app, s, want.w, want.h), want, "preview");
        PressButton(app, s.sheet, IDC_APPLY_BUTTON);
        const std::string out = Join(gPaths.outDir, "sheet-tool.bmp");
        RunTool(c.tool, gTexture.path, out);
        CHECK_EQ(QueryState(app).pixelHash, FileHash(out));
        if (!menuUndo) PressButton(app, s.page, IDC_SHEET_UNDO);
        else Command(app, IDM_EDIT_UNDO);
        menuUndo = !menuUndo;
        CHECK_EQ(QueryState(app).pixelHash, original);
        CHECK(Grayed(QueryState(app), IDM_EDIT_UNDO));
    }
    gScenario->name = "sheet_pages_preview_apply";
    PressCancel(s.sheet);
    WaitGone(s.sheet, 5000);
    Quit(app);
}

// OK commits only the page shown last; Cancel keeps an earlier Apply; density 64 maps 64/128/192 to 112/192/240;
// a typed 66 shows "範囲エラー" (twice on OK), commits nothing and still resets the edits.
void OkCancelQuirks() {
    App app;
    if (!Start(app, gTones)) return;
    const uint64_t original = QueryState(app).pixelHash;
    SheetWindows s;
    if (!OpenSheet(app, s)) return Quit(app), void();
    SelectPage(app, s, 3);
    for (int id : {IDC_DENSITY_RED, IDC_DENSITY_GREEN, IDC_DENSITY_BLUE}) Type(app, s.page, id, "64");
    PressButton(app, s.sheet, IDC_APPLY_BUTTON);
    PressCancel(s.sheet);
    WaitGone(s.sheet, 5000);
    const ProbeState &st = QueryState(app);
    // Corners: bottom-left, bottom-right, top-left, top-right were 192, 128, 64, 128.
    CHECK_EQ(st.corner[0], 0xF0F0F0u);
    CHECK_EQ(st.corner[1], 0xC0C0C0u);
    CHECK_EQ(st.corner[2], 0x707070u);
    CHECK_EQ(st.corner[3], 0xC0C0C0u);
    const uint64_t committed = st.pixelHash;
    CHECK(committed != original);

    // 66 is one too many: a message for the preview run and one for the apply run, nothing committed.
    if (!OpenSheet(app, s)) return Quit(app), void();
    SelectPage(app, s, 3);
    CHECK_EQ(EditText(GetDlgItem(s.page, IDC_DENSITY_RED)), std::string("0"));
    Type(app, s.page, IDC_DENSITY_GREEN, "66");
    PostMessageA(GetDlgItem(s.page, IDC_SHEET_PREVIEW), BM_CLICK, 0, 0);
    CHECK_EQ(TakeBox(app, s), std::string("範囲エラー"));
    PostMessageA(GetDlgItem(s.sheet, IDOK), BM_CLICK, 0, 0);
    CHECK_EQ(TakeBox(app, s), std::string("範囲エラー"));
    CHECK_EQ(TakeBox(app, s), std::string("範囲エラー"));
    WaitGone(s.sheet, 5000);
    CHECK_EQ(QueryState(app).pixelHash, committed);
    if (!OpenSheet(app, s)) return Quit(app), void();
    SelectPage(app, s, 3);
    CHECK_EQ(EditText(GetDlgItem(s.page, IDC_DENSITY_GREEN)), std::string("0"));
    // The bar's steps write the edit; the reset button puts it back to 0.
    HWND bar = GetDlgItem(s.page, IDC_DENSITY_BLUE_BAR);
    HWND blue = GetDlgItem(s.page, IDC_DENSITY_BLUE);
    SendMessageA(s.page, WM_HSCROLL, MAKEWPARAM(SB_PAGERIGHT, 0), (LPARAM)bar);
    CHECK_EQ(EditText(blue), std::string("8"));
    SendMessageA(s.page, WM_HSCROLL, MAKEWPARAM(SB_RIGHT, 0), (LPARAM)bar);
    SendMessageA(s.page, WM_HSCROLL, MAKEWPARAM(SB_LINERIGHT, 0), (LPARAM)bar);
    CHECK_EQ(EditText(blue), std::string("64"));
    SendMessageA(s.page, WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, (WORD)-20), (LPARAM)bar);
    CHECK_EQ(EditText(blue), std::string("-20"));
    PressButton(app, s.page, IDC_DENSITY_BLUE_RESET);
    CHECK_EQ(EditText(blue), std::string("0"));

    // Saturation set, then density shown last: OK applies the density alone.
    Command(app, IDM_EDIT_UNDO);
    SelectPage(app, s, 2);
    Type(app, s.page, IDC_SATURATION, "50");
    SelectPage(app, s, 3);
    Type(app, s.page, IDC_DENSITY_RED, "-30");
    PressButton(app, s.sheet, IDOK);
    WaitGone(s.sheet, 5000);
    Dib want = MakeDib(gTones);
    ToneRun(want.get(), Tone(-30, 0, 0, 0));
    CHECK_EQ(QueryState(app).pixelHash, HashOf(want.get()));
    Quit(app);
}

// The histogram average of a picture with its own counts.
Dib Averaged(Dib picture) {
    ColourStats stats{};
    {
        BlockLockGuard lock(picture.get());
        CollectColourStats(lock.get(), kHistSetOther, &stats);
    }
    return Dib(HistogramAverage(picture.get(), stats.raw[kHistSetOther]));
}

// The level popup from the histogram panel: level 1 at its left edge and 254 at its right edge, on the preview
// and on the real picture (which takes an undo copy); the histogram average of the real picture.
void LevelPopup() {
    App app;
    if (!Start(app, gTexture)) return;
    SheetWindows s;
    if (!OpenSheet(app, s)) return Quit(app), void();
    SelectPage(app, s, 3);
    PressButton(app, s.page, IDC_SHEET_PREVIEW);
    const int size = SquareSize(s);
    auto popup = [&](int x, int item) {
        const int before = LogCount();
        PostMessageA(s.page, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, (s.panel.top + s.panel.bottom) / 2));
        PostMessageA(s.page, WM_LBUTTONUP, 0, MAKELPARAM(x, (s.panel.top + s.panel.bottom) / 2));
        HWND menu = nullptr;
        for (DWORD t0 = GetTickCount(); !menu && GetTickCount() - t0 < 5000; Sleep(10))
            menu = FindWindowA("#32768", nullptr);
        if (!menu || !IsWindowVisible(menu)) return Fail(__FILE__, __LINE__, "no level popup");
        for (int i = 0; i <= item; ++i) PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
        for (DWORD t0 = GetTickCount(); IsWindowVisible(menu) && GetTickCount() - t0 < 5000;) Sleep(10);
        Sync(app);
        Sync(app);
        bool forwarded = false;
        for (int i = before; i < LogCount(); ++i)
            if (LogAt(i).message == WM_COMMAND && (int)LogAt(i).id == IDM_POPUP_HIGHLIGHT + item) forwarded = true;
        CHECK(forwarded);
    };
    auto stretched = [](Dib d, int item, int level) {
        const LevelTriple l{level, level, level};
        if (item == 0) LevelStretch(d.get(), l, {0, 0, 0}, kLevelPopup);
        else LevelStretch(d.get(), {255, 255, 255}, l, kLevelPopup);
        return d;
    };
    // The panel: black, with one-pixel columns per channel that mix by inverting (every byte 0 or 255).
    Pixels panel = ReadScreen(app, s.page, s.panel.left, s.panel.top, s.panel.right - s.panel.left,
                              s.panel.bottom - s.panel.top);
    int lit = 0, mixed = 0;
    for (uint32_t c : panel.c) {
        if (c != 0) ++lit;
        for (int shift : {0, 8, 16})
            if (((c >> shift) & 255) != 0 && ((c >> shift) & 255) != 255) ++mixed;
    }
    CHECK(lit > 0);
    CHECK_EQ(mixed, 0);
    // Preview screen: only the preview changes.
    PressButton(app, s.page, IDC_SHEET_TARGET_PREVIEW);
    GrayUndo(app, s);
    SelectPage(app, s, 3);
    PressButton(app, s.page, IDC_SHEET_PREVIEW);
    const uint64_t original = QueryState(app).pixelHash;
    popup(s.panel.left, 0);
    Pixels want = PixelsOf(stretched(Region(gTexture, 0, 0, size), 0, 1).get());
    Differences(ReadPreview(app, s, want.w, want.h), want, "preview highlight at level 1");
    PressButton(app, s.page, IDC_SHEET_PREVIEW);
    popup(s.panel.right, 1);
    want = PixelsOf(stretched(Region(gTexture, 0, 0, size), 1, 254).get());
    Differences(ReadPreview(app, s, want.w, want.h), want, "preview shadow at level 254");
    // The preview's average uses the preview's own counts.
    PressButton(app, s.page, IDC_SHEET_PREVIEW);
    popup(s.panel.left + 10, 2);
    want = PixelsOf(Averaged(Region(gTexture, 0, 0, size)).get());
    Differences(ReadPreview(app, s, want.w, want.h), want, "preview histogram average");
    CHECK_EQ(QueryState(app).pixelHash, original);
    CHECK(Grayed(QueryState(app), IDM_EDIT_UNDO));
    // Real screen: the picture, with an undo copy, and the preview remade from it.
    PressButton(app, s.page, IDC_SHEET_TARGET_REAL);
    popup(s.panel.right, 0);
    Dib whole = stretched(MakeDib(gTexture), 0, 254);
    CHECK_EQ(QueryState(app).pixelHash, HashOf(whole.get()));
    CHECK(!Grayed(QueryState(app), IDM_EDIT_UNDO));
    Dib region(CopyDibRect(whole.get(), 0, 0, size, size));
    want = PixelsOf(region.get());
    Differences(ReadPreview(app, s, want.w, want.h), want, "preview after the real highlight");
    popup(s.panel.left, 1);
    whole = stretched(std::move(whole), 1, 1);
    CHECK_EQ(QueryState(app).pixelHash, HashOf(whole.get()));
    // Histogram average of the real picture with its own counts.
    popup(s.panel.left + 10, 2);
    CHECK_EQ(QueryState(app).pixelHash, HashOf(Averaged(std::move(whole)).get()));
    PressCancel(s.sheet);
    WaitGone(s.sheet, 5000);
    Quit(app);
}

// Zoom x 1/4 ... x 4, "16色" and "256色", a drag past either edge clamps the origin, the sheet opened again
// keeps zoom and level target, and an origin from an enlarged, scrolled view stays inside the picture.
void ZoomDragReopen() {
    App app;
    if (!Start(app, gCoords)) return;
    SheetWindows s;
    if (!OpenSheet(app, s)) return Quit(app), void();
    SelectPage(app, s, 3);
    const int size = SquareSize(s);
    Dib whole = MakeDib(gCoords);
    for (int item : {0, 1}) { // reductions are resampled by the core
        const int d = item == 0 ? 4 : 2;
        Choose(app, s.page, IDC_SHEET_ZOOM, item);
        const int w = gCoords.w / d < size ? gCoords.w / d : size, h = gCoords.h / d < size ? gCoords.h / d : size;
        Dib copy(CopyDibRect(whole.get(), 0, 0, w * d, h * d));
        Dib reduced(MakePicture(kDibHeaderSize, w, h, 1u | 24u << 16, 0, 0, 0, 0, 0, 0));
        ResampleInto(reduced.get(), copy.get());
        Pixels want = PixelsOf(reduced.get());
        Differences(ReadPreview(app, s, w, h), want, d == 4 ? "preview x 1/4" : "preview x 1/2");
    }
    // Magnifications: each picture pixel covers m x m screen pixels; the halftone stretch blends neighbours, which
    // differ by one level on this picture.
    auto Near = [](uint32_t a, uint32_t b) {
        for (int shift : {0, 8, 16})
            if (std::abs((int)((a >> shift) & 255) - (int)((b >> shift) & 255)) > 1) return false;
        return true;
    };
    for (int item : {3, 4}) {
        const int m = item == 3 ? 2 : 4;
        Choose(app, s.page, IDC_SHEET_ZOOM, item);
        Pixels got = ReadPreview(app, s, size, size);
        const int n = size / m;
        int wrong = 0;
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x)
                if (!Near(got.at(x * m + m / 2, y * m + m / 2), CoordPixel(x, y))) ++wrong;
        // The platform's halftone may touch the blocks' edges, not their centres.
        if (wrong * 20 >= n * n)
            Fail(__FILE__, __LINE__, "x " + std::to_string(m) + ": " + std::to_string(wrong) + " of " +
                                         std::to_string(n * n) + " block centres differ");
    }
    Choose(app, s.page, IDC_SHEET_ZOOM, kZoomItemUnit);
    Choose(app, s.page, IDC_SHEET_COLOURS, 1);
    Pixels stippled = ReadPreview(app, s, size, size);
    int off16 = 0;
    for (uint32_t c : stippled.c) {
        bool found = false;
        for (const PaletteEntryRgb &e : kStippleColours16)
            if (c == ((uint32_t)e.red << 16 | (uint32_t)e.green << 8 | e.blue)) found = true;
        if (!found) ++off16;
    }
    CHECK_EQ(off16, 0);
    Choose(app, s.page, IDC_SHEET_COLOURS, 2);
    Pixels many = ReadPreview(app, s, size, size);
    std::vector<uint32_t> colours(many.c);
    std::sort(colours.begin(), colours.end());
    CHECK(std::unique(colours.begin(), colours.end()) - colours.begin() <= 256);
    Choose(app, s.page, IDC_SHEET_COLOURS, 0);
    CHECK_EQ(ReadPreview(app, s, 1, 1).at(0, 0), CoordPixel(0, 0));

    // Drags past the edges: the origin is clamped so the square stays filled, then back to 0.
    const int cx = (s.square.left + s.square.right) / 2, cy = (s.square.top + s.square.bottom) / 2;
    Press(s.page, cx, cy, cx - 2000, cy - 2000);
    Sync(app);
    POINT o = OriginOf(ReadPreview(app, s, 1, 1).at(0, 0));
    CHECK_EQ((int)o.x, gCoords.w - size);
    CHECK_EQ((int)o.y, gCoords.h - size);
    Press(s.page, cx, cy, cx + 40, cy + 25);
    Sync(app);
    o = OriginOf(ReadPreview(app, s, 1, 1).at(0, 0));
    CHECK_EQ((int)o.x, gCoords.w - size - 40);
    CHECK_EQ((int)o.y, gCoords.h - size - 25);
    Press(s.page, cx, cy, cx + 3000, cy + 3000);
    Sync(app);
    o = OriginOf(ReadPreview(app, s, 1, 1).at(0, 0));
    CHECK_EQ((int)o.x, 0);
    CHECK_EQ((int)o.y, 0);

    // Zoom and level target outlive the sheet.
    Choose(app, s.page, IDC_SHEET_ZOOM, 1);
    PressButton(app, s.page, IDC_SHEET_TARGET_PREVIEW);
    PressCancel(s.sheet);
    WaitGone(s.sheet, 5000);
    if (!OpenSheet(app, s)) return Quit(app), void();
    CHECK_EQ((int)SendMessageA(GetDlgItem(s.page, IDC_SHEET_ZOOM), CB_GETCURSEL, 0, 0), 1);
    CHECK(IsChecked(s.page, IDC_SHEET_TARGET_PREVIEW));
    CHECK(!IsChecked(s.page, IDC_SHEET_TARGET_REAL));
    PressCancel(s.sheet);
    WaitGone(s.sheet, 5000);

    // A tiny picture enlarged to fit and scrolled to its far corner: the origin stays on the picture.
    if (!OpenPicture(app, gTiny)) return Quit(app), void();
    Command(app, IDM_VIEW_AUTO_REDUCE);
    UpdateWindow(app.view);
    SendMessageA(app.view, WM_HSCROLL, SB_RIGHT, 0);
    SendMessageA(app.view, WM_VSCROLL, SB_BOTTOM, 0);
    Sync(app);
    if (!OpenSheet(app, s)) return Quit(app), void();
    Choose(app, s.page, IDC_SHEET_ZOOM, 2);
    PressButton(app, s.page, IDC_SHEET_PREVIEW);
    Pixels corner = ReadPreview(app, s, 1, 1);
    o = OriginOf(corner.at(0, 0));
    CHECK(o.x >= 0 && o.x < gTiny.w && o.y >= 0 && o.y < gTiny.h);
    Choose(app, s.page, IDC_SHEET_ZOOM, 0); // 1/4 of what is left may be nothing: no preview, no fault
    PressCancel(s.sheet);
    WaitGone(s.sheet, 5000);
    CHECK_EQ(QueryState(app).info.biWidth, gTiny.w);
    Quit(app);
}

// Fingertip strokes smooth only around the clicked point; switching "指先処理" off merges them without an undo
// copy; a stroke followed by a rebuilt preview merges nothing.
void FingertipStrokes() {
    App app;
    if (!Start(app, gTexture)) return;
    SheetWindows s;
    if (!OpenSheet(app, s)) return Quit(app), void();
    GrayUndo(app, s);
    SelectPage(app, s, 0);
    const int size = SquareSize(s);
    Type(app, s.page, IDC_NOISE_THRESHOLD, "255");
    PressButton(app, s.page, IDC_SHEET_PREVIEW);
    const uint64_t original = QueryState(app).pixelHash;
    Dib region = Region(gTexture, 0, 0, size);
    NoiseRunSettings smooth;
    smooth.smoothing.threshold = 255;
    NoiseRun(region.get(), smooth, false); // the preview run itself
    PressButton(app, s.page, IDC_NOISE_FINGERTIP);
    for (int id : {IDC_SHEET_UNDO, IDC_SHEET_ZOOM, IDC_SHEET_COLOURS, IDC_SHEET_PREVIEW})
        CHECK(!IsWindowEnabled(GetDlgItem(s.page, id)));
    const int px = 40, py = 30;
    Click(s.page, s.square.left + px, s.square.top + py);
    Sync(app);
    Dib stroked(CopyDibRect(region.get(), 0, 0, size, size));
    FingertipStroke(stroked.get(), smooth, px, py, FingertipRadius(1));
    Pixels want = PixelsOf(stroked.get());
    Pixels before = PixelsOf(region.get());
    int changedOutside = 0, changedInside = 0;
    for (int y = 0; y < want.h; ++y)
        for (int x = 0; x < want.w; ++x)
            if (want.at(x, y) != before.at(x, y)) (std::abs(x - px) <= 10 && std::abs(y - py) <= 10 ? changedInside : changedOutside)++;
    CHECK(changedInside > 0);
    CHECK_EQ(changedOutside, 0);
    Differences(ReadPreview(app, s, want.w, want.h), want, "preview after a stroke");
    CHECK_EQ(QueryState(app).pixelHash, original);
    PressButton(app, s.page, IDC_NOISE_FINGERTIP); // off: merge
    Dib merged = MakeDib(gTexture);
    PutPicture(merged.get(), stroked.get(), 0, 0);
    CHECK_EQ(QueryState(app).pixelHash, HashOf(merged.get()));
    CHECK(Grayed(QueryState(app), IDM_EDIT_UNDO));
    for (int id : {IDC_SHEET_UNDO, IDC_SHEET_ZOOM, IDC_SHEET_COLOURS, IDC_SHEET_PREVIEW})
        CHECK(IsWindowEnabled(GetDlgItem(s.page, id)));

    // A stroke, then the density page's preview rebuilds the preview: nothing is merged.
    const uint64_t afterMerge = QueryState(app).pixelHash;
    PressButton(app, s.page, IDC_NOISE_FINGERTIP);
    Click(s.page, s.square.left + 70, s.square.top + 70);
    Sync(app);
    SelectPage(app, s, 3);
    Type(app, s.page, IDC_DENSITY_RED, "30");
    PressButton(app, s.page, IDC_SHEET_PREVIEW);
    SelectPage(app, s, 0);
    PressButton(app, s.page, IDC_NOISE_FINGERTIP);
    CHECK_EQ(QueryState(app).pixelHash, afterMerge);
    PressCancel(s.sheet);
    WaitGone(s.sheet, 5000);

    // With the status bar hidden the apply runs count their rows in the frame caption.
    Command(app, IDM_VIEW_HIDE_STATUS);
    if (!OpenSheet(app, s)) return Quit(app), void();
    int from = TextCount();
    PressButton(app, s.sheet, IDC_APPLY_BUTTON);
    std::vector<std::string> texts = TextsSince(from);
    CHECK(std::find(texts.begin(), texts.end(), "caption:ﾉｲｽﾞ補正 50%") != texts.end());
    SelectPage(app, s, 2);
    Type(app, s.page, IDC_SATURATION, "20");
    from = TextCount();
    PressButton(app, s.sheet, IDC_APPLY_BUTTON);
    texts = TextsSince(from);
    CHECK(std::find(texts.begin(), texts.end(), "caption:彩度補正 95%") != texts.end());
    PressCancel(s.sheet);
    WaitGone(s.sheet, 5000);
    Quit(app);
}

// Random clicks, drags, page switches and typed values (fixed seed, bounded in count and time): the program
// stays alive and the picture keeps its size.
void RandomClicks() {
    App app;
    if (!Start(app, gTexture)) return;
    SheetWindows s;
    if (!OpenSheet(app, s)) return Quit(app), void();
    std::mt19937 rng(20261209);
    auto pick = [&](int n) { return (int)(rng() % (unsigned)n); };
    static const int kButtons[] = {IDC_SHEET_PREVIEW, IDC_SHEET_UNDO, IDC_SHEET_TARGET_REAL, IDC_SHEET_TARGET_PREVIEW,
                                   IDC_SHEET_RED, IDC_SHEET_GREEN, IDC_SHEET_BLUE, IDC_NOISE_JPEG, IDC_NOISE_FINGERTIP,
                                   IDC_NOISE_MIN_VARIANCE, IDC_NOISE_MEDIAN, IDC_OTHER_EDGES, IDC_OTHER_SHARPEN,
                                   IDC_OTHER_STRONG, IDC_OTHER_NONE, IDC_DENSITY_RED_RESET, IDC_NOISE_THRESHOLD_RESET};
    static const int kEdits[] = {IDC_NOISE_THRESHOLD, IDC_SATURATION, IDC_DENSITY_RED, IDC_DENSITY_GREEN,
                                 IDC_DENSITY_BLUE, IDC_CONTRAST};
    static const char *const kValues[] = {"0", "1", "-1", "64", "-64", "65", "66", "255", "300", "-999", "abc", ""};
    const DWORD start = GetTickCount();
    int actions = 0;
    for (; actions < 160 && GetTickCount() - start < 60000 && app.running(); ++actions) {
        RECT rc = ClientRectOf(s.page);
        switch (pick(6)) {
        case 0: SelectPage(app, s, pick(5)); break;
        case 1: {
            const int id = kButtons[pick(sizeof kButtons / sizeof kButtons[0])];
            if (GetDlgItem(s.page, id)) PressButton(app, s.page, id);
            break;
        }
        case 2: {
            const int id = kEdits[pick(sizeof kEdits / sizeof kEdits[0])];
            if (GetDlgItem(s.page, id)) Type(app, s.page, id, kValues[pick(sizeof kValues / sizeof kValues[0])]);
            break;
        }
        case 3: Choose(app, s.page, pick(2) ? IDC_SHEET_ZOOM : IDC_SHEET_COLOURS, pick(5) % (pick(2) ? 5 : 3)); break;
        case 4: {
            const int x = pick(rc.right + 40) - 20, y = pick(rc.bottom + 40) - 20;
            Press(s.page, x, y, x + pick(600) - 300, y + pick(600) - 300);
            Sync(app);
            break;
        }
        default: PressButton(app, s.sheet, IDC_APPLY_BUTTON); break;
        }
        // Message boxes ("範囲エラー") and a level popup the clicks may have opened.
        while (HWND box = WaitDialog(app, 30, s.sheet)) {
            PressOk(box);
            WaitGone(box, 3000);
        }
        if (HWND menu = FindWindowA("#32768", nullptr))
            if (IsWindowVisible(menu)) PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
        Sync(app);
    }
    std::printf("random clicks: %d actions in %lu ms\n", actions, GetTickCount() - start);
    CHECK(app.running() && Sync(app));
    PressCancel(s.sheet);
    WaitGone(s.sheet, 5000);
    const ProbeState &st = QueryState(app);
    CHECK_EQ((int)st.info.biWidth, gTexture.w);
    CHECK_EQ((int)st.info.biHeight, gTexture.h);
    CHECK_EQ(Quit(app), 0);
}

// An apply run whose copy rows cannot be had follows the shortage chain (display image, then the undo copy with
// its message, then "グローバルメモリが足りません") and changes nothing. A one-row picture makes the filter's two
// saved rows the largest allocation of the run.
void ApplyShortage() {
    WriteIni(Ini());
    App app;
    SetEnvironmentVariableA("ORBEN_TEST_FAIL_ALLOC", "10000,3");
    const bool launched = Launch(app);
    SetEnvironmentVariableA("ORBEN_TEST_FAIL_ALLOC", nullptr);
    if (!launched || !OpenPicture(app, gRow)) return Quit(app), void();
    const uint64_t original = QueryState(app).pixelHash;
    SheetWindows s;
    if (!OpenSheet(app, s)) return Quit(app), void();
    Type(app, s.page, IDC_NOISE_THRESHOLD, "200");
    PostMessageA(GetDlgItem(s.sheet, IDC_APPLY_BUTTON), BM_CLICK, 0, 0);
    CHECK_EQ(TakeBox(app, s), std::string("グローバルメモリが足りないので\nUnDoバッファを開放します"));
    CHECK_EQ(TakeBox(app, s), std::string("グローバルメモリが足りません"));
    const ProbeState &st = QueryState(app);
    CHECK_EQ(st.pixelHash, original);
    CHECK(Grayed(st, IDM_EDIT_UNDO));
    CHECK_EQ((int)st.displayWidth, gRow.w);
    PressCancel(s.sheet);
    WaitGone(s.sheet, 5000);
    CHECK_EQ(Quit(app), 0);
}

double Since(LARGE_INTEGER t0) {
    LARGE_INTEGER t1;
    QueryPerformanceCounter(&t1);
    return Milliseconds(t1.QuadPart - t0.QuadPart);
}

// Figures, not checks: opening the sheet, a preview run and an apply run (with its preview run and the display
// rebuild) of every page on a 4000 x 3000 picture. Written to sheet-timings.txt and the log.
void Timings() {
    WriteIni(Ini());
    App app;
    const std::string big = Join(gPaths.dataDir, "big.bmp");
    if (!Launch(app)) return;
    if (!OpenPath(app, big) || !WaitOpenDone(app, 60000)) return Quit(app), void();
    Sync(app, 60000);
    std::vector<std::string> lines;
    char line[160];
    LARGE_INTEGER t0;
    QueryPerformanceCounter(&t0);
    SheetWindows s;
    if (!OpenSheet(app, s)) return Quit(app), void();
    snprintf(line, sizeof line, "sheet: open %.1f ms", Since(t0));
    lines.push_back(line);
    // The display rebuild every apply run ends with, timed on its own through the probe.
    Probe()->bitmapOk = -1;
    COPYDATASTRUCT data{kQueryTimeBitmap, 0, nullptr};
    DWORD_PTR result = 0;
    SendMessageTimeoutA(app.frame, WM_COPYDATA, 0, (LPARAM)&data, SMTO_BLOCK, 30000, &result);
    const double rebuild = Probe()->bitmapOk == 1 ? Milliseconds(Probe()->bitmapTicks) : 0.0;
    snprintf(line, sizeof line, "sheet: display rebuild (BitmapFromDib) %.1f ms", rebuild);
    lines.push_back(line);
    for (const PageCase &c : PageCases()) {
        SelectPage(app, s, c.tab);
        c.set(app, s.page);
        QueryPerformanceCounter(&t0);
        PressButton(app, s.page, IDC_SHEET_PREVIEW);
        const double preview = Since(t0);
        QueryPerformanceCounter(&t0);
        PostMessageA(GetDlgItem(s.sheet, IDC_APPLY_BUTTON), BM_CLICK, 0, 0);
        Sync(app, 120000);
        const double apply = Since(t0);
        const double tool = RunTool(c.tool, big, Join(gPaths.outDir, "sheet-tool.bmp"));
        snprintf(line, sizeof line,
                 "sheet: %-24s preview %6.1f ms, apply %7.1f ms, orbentool %7.1f ms (%.2f x; %.2f x without the "
                 "display rebuild)",
                 c.name, preview, apply, tool, tool > 0 ? apply / tool : 0.0, tool > 0 ? (apply - rebuild) / tool : 0.0);
        lines.push_back(line);
        PressButton(app, s.page, IDC_SHEET_UNDO);
        Sync(app, 60000);
    }
    PressCancel(s.sheet);
    WaitGone(s.sheet, 10000);
    FILE *f = std::fopen(Join(gPaths.outDir, "sheet-timings.txt").c_str(), "w");
    for (const std::string &l : lines) {
        std::printf("%s\n", l.c_str());
        if (f) std::fprintf(f, "%s\n", l.c_str());
    }
    if (f) std::fclose(f);
    Quit(app, 30000);
}

} // namespace

void MakeSheetPictures() {
    const std::string &d = gPaths.dataDir;
    gTexture = {Join(d, "sheet-texture.bmp"), 360, 300, TexturePixel};
    gCoords = {Join(d, "sheet-coords.bmp"), 600, 500, CoordPixel};
    gTones = {Join(d, "sheet-tones.bmp"), 64, 48, [](int x, int y) -> uint32_t {
                  return 0x010101u * (x >= 32 ? 128u : y < 24 ? 64u : 192u);
              }};
    gTiny = {Join(d, "sheet-tiny.bmp"), 6, 5, CoordPixel};
    gRow = {Join(d, "sheet-row.bmp"), 3000, 1, TexturePixel};
    for (const SheetPicture *p : {&gTexture, &gCoords, &gTones, &gTiny, &gRow}) WriteBmp24(p->path, p->w, p->h, p->pixel);
}

const SheetScenario kSheetScenarios[] = {
    {"sheet_pages_preview_apply", PagesPreviewAndApply},
    {"sheet_ok_cancel_quirks", OkCancelQuirks},
    {"sheet_level_popup", LevelPopup},
    {"sheet_zoom_drag_reopen", ZoomDragReopen},
    {"sheet_fingertip", FingertipStrokes},
    {"sheet_apply_shortage", ApplyShortage},
    {"sheet_random_clicks", RandomClicks},
    {"sheet_timings", Timings},
};
const int kSheetScenarioCount = sizeof kSheetScenarios / sizeof kSheetScenarios[0];
