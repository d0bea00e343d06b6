// Printing worked through the real windows of ORBEN.EXE: the layout dialog found, dragged in with mouse messages
// and read back, the job printed onto the private cups-pdf queue, and its PDF rendered with pdftoppm and measured.
// tests/e2e/run.sh starts that CUPS and names it in the environment; without it these scenarios are skipped.
#include "print_scenarios.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "driver_support.h"
#include "print/print_layout.h"

namespace {

// ---- the CUPS side, reached through Unix commands (Wine starts Linux programs like Windows ones) ----

struct PrintSetup {
    bool ready = false;
    std::string skipReason;
    std::string cupsScript; // Unix path of tools/cups.sh
    std::string pdfDir;     // Windows path of cups-pdf's output folder
    std::string pdfUnixDir;
    std::string scratchUnixDir; // status files of the Linux commands
    PrinterMetrics metrics{};
    std::string wide, pattern, big;
};
PrintSetup gSetup;

std::string Env(const char *name) {
    char value[1024];
    DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
    return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}

std::string WindowsPath(const std::string &unixPath) {
    std::string path = "Z:" + unixPath;
    for (char &c : path)
        if (c == '/') c = '\\';
    return path;
}

std::string ReadText(const std::string &path) {
    std::string text;
    FILE *f = std::fopen(path.c_str(), "rb");
    if (!f) return text;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
    std::fclose(f);
    return text;
}

// The last bytes of a file: where a complete PDF has its %%EOF.
std::string Tail(const std::string &path) {
    char buffer[32];
    FILE *f = std::fopen(path.c_str(), "rb");
    if (!f) return "";
    size_t n = 0;
    if (std::fseek(f, -(long)sizeof buffer, SEEK_END) == 0) n = std::fread(buffer, 1, sizeof buffer, f);
    std::fclose(f);
    return std::string(buffer, n);
}

// Runs `command` with /bin/sh and returns its exit status, or -1. Wine starts a Linux program detached, without
// its exit code and with the Windows PATH, so the command reports its status in a file of its own.
int RunUnix(const std::string &command, DWORD timeoutMs = 60000) {
    static int serial = 0;
    const std::string base = gSetup.scratchUnixDir + "/run" + std::to_string(++serial);
    std::string line = "/bin/sh -c \"PATH=/usr/sbin:/usr/bin:/sbin:/bin; (" + command + ") >" + base + ".log 2>&1; echo $? >" +
                       base + ".part; mv " + base + ".part " + base + ".status\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    const std::string status = WindowsPath(base + ".status");
    for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs; Sleep(10))
        if (FileExists(status)) return std::atoi(ReadText(status).c_str());
    return -1;
}

std::set<std::string> PdfFiles() {
    std::set<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA(Join(gSetup.pdfDir, "*.pdf").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return names;
    do names.insert(found.cFileName);
    while (FindNextFileA(h, &found));
    FindClose(h);
    return names;
}

// The first PDF not in `before` once it is complete (ends with its %%EOF), or "" after the timeout.
std::string WaitNewPdf(const std::set<std::string> &before, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    do {
        for (const std::string &name : PdfFiles()) {
            if (before.count(name)) continue;
            if (Tail(Join(gSetup.pdfDir, name)).find("%%EOF") != std::string::npos) return name;
        }
        Sleep(50);
    } while (GetTickCount() - start < timeoutMs);
    return "";
}

struct Raster {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    uint32_t at(int x, int y) const {
        const unsigned char *p = &rgb[((size_t)y * width + x) * 3];
        return (uint32_t)p[0] << 16 | (uint32_t)p[1] << 8 | p[2];
    }
};

// pdftoppm's rendering of the PDF's first page as a P6 picture.
Raster RenderPdf(const std::string &name, int dpi) {
    Raster r;
    const std::string pdf = gSetup.pdfUnixDir + "/" + name, base = gSetup.pdfUnixDir + "/render";
    if (RunUnix("pdftoppm -r " + std::to_string(dpi) + " -singlefile '" + pdf + "' '" + base + "'") != 0) return r;
    std::string data = ReadText(WindowsPath(base + ".ppm"));
    int w = 0, h = 0, maxValue = 0, used = 0;
    if (std::sscanf(data.c_str(), "P6 %d %d %d%n", &w, &h, &maxValue, &used) < 3 || maxValue != 255) return r;
    ++used; // the one whitespace byte after the header
    if (w <= 0 || h <= 0 || data.size() < (size_t)used + (size_t)w * h * 3) return r;
    r.width = w;
    r.height = h;
    r.rgb.assign(data.begin() + used, data.begin() + used + (size_t)w * h * 3);
    return r;
}

int PdfPages(const std::string &name) {
    const std::string out = gSetup.pdfUnixDir + "/info.txt";
    if (RunUnix("pdfinfo '" + gSetup.pdfUnixDir + "/" + name + "' > '" + out + "'") != 0) return -1;
    std::string text = ReadText(WindowsPath(out));
    size_t at = text.find("Pages:");
    return at == std::string::npos ? -1 : std::atoi(text.c_str() + at + 6);
}

bool RunCups(const char *what) { return RunUnix("bash '" + gSetup.cupsScript + "' " + what) == 0; }
bool Lp(const std::string &command) { return RunUnix(command + " ORBENPDF") == 0; }

// ---- the program's windows ----

std::string Ini() { return "[CONFIG]\r\nWindowRect=20,20,700,560\r\n[Add-in]\r\nDLL1=E2EPROBE1.DLL\r\n"; }

bool OpenPicture(App &app, const std::string &path) {
    if (!OpenPath(app, path) || !WaitOpenDone(app)) {
        Fail(__FILE__, __LINE__, "the open of " + path + " did not finish");
        return false;
    }
    return Sync(app);
}

struct TopFind {
    DWORD pid;
    const char *caption;
    HWND found;
};
BOOL CALLBACK FindCaption(HWND hwnd, LPARAM lp) {
    TopFind *f = reinterpret_cast<TopFind *>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    char cls[32] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    if (pid == f->pid && strcmp(cls, "#32770") == 0 && IsWindowVisible(hwnd) && WindowText(hwnd) == f->caption) {
        f->found = hwnd;
        return FALSE;
    }
    return TRUE;
}
HWND WaitCaption(const App &app, const char *caption, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    do {
        TopFind f{app.pi.dwProcessId, caption, nullptr};
        EnumWindows(FindCaption, (LPARAM)&f);
        if (f.found) return f.found;
        Sleep(5);
    } while (GetTickCount() - start < timeoutMs);
    return nullptr;
}

HWND OpenPrintDialog(const App &app) {
    PostMessageA(app.frame, WM_COMMAND, IDM_FILE_PRINT, 0);
    HWND dialog = WaitCaption(app, "印刷", 10000);
    if (!dialog) Fail(__FILE__, __LINE__, "dialog 500 did not appear");
    return dialog;
}

struct Mm {
    int left, width, top, height;
};
Mm ReadMm(HWND dialog) {
    BOOL ok = FALSE;
    return {(int)GetDlgItemInt(dialog, IDC_PRINT_LEFT, &ok, TRUE), (int)GetDlgItemInt(dialog, IDC_PRINT_WIDTH, &ok, TRUE),
            (int)GetDlgItemInt(dialog, IDC_PRINT_TOP, &ok, TRUE), (int)GetDlgItemInt(dialog, IDC_PRINT_HEIGHT, &ok, TRUE)};
}
std::string ShowMm(const Mm &m) {
    char text[96];
    std::snprintf(text, sizeof text, "left %d width %d top %d height %d", m.left, m.width, m.top, m.height);
    return text;
}

// A drag in the dialog's client area with mouse messages, as the mouse would send them; returns once the
// program has handled them (the barrier command waits behind the drag loop).
void Drag(const App &app, HWND dialog, int x0, int y0, int x1, int y1) {
    PostMessageA(dialog, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x0, y0));
    for (int i = 1; i <= 4; ++i)
        PostMessageA(dialog, WM_MOUSEMOVE, MK_LBUTTON,
                     MAKELPARAM((short)(x0 + (x1 - x0) * i / 4), (short)(y0 + (y1 - y0) * i / 4)));
    PostMessageA(dialog, WM_LBUTTONUP, 0, MAKELPARAM((short)x1, (short)y1));
    Sync(app);
}

// The page preview as a person sees it: a white page inside its one-pixel dark outline, found along a row and a
// column close to its top-left corner (the print rectangle keeps 1 cm away from there), in client pixels.
RECT FindPreview(HWND dialog) {
    UpdateWindow(dialog); // paints before it returns
    RECT client = ClientRectOf(dialog);
    POINT origin{0, 0};
    ClientToScreen(dialog, &origin);
    RECT screen{origin.x, origin.y, origin.x + client.right, origin.y + client.bottom};
    std::vector<uint32_t> px = CaptureScreen(screen);
    RECT found{-1, -1, -1, -1};
    if (px.empty()) return found;
    auto dark = [&](int x, int y) { return (px[(size_t)y * client.right + x] & 0xC0C0C0) == 0; };
    // Edges along one line: the first dark pixel, then the first dark one after the white inside.
    auto edges = [&](int count, auto at, LONG *first, LONG *last) {
        int i = 0;
        while (i < count && !at(i)) ++i;
        *first = i;
        ++i;
        while (i < count && !at(i)) ++i;
        *last = i + 1;
    };
    edges(client.right, [&](int x) { return dark(x, 4); }, &found.left, &found.right);
    edges(client.bottom, [&](int y) { return dark(found.left + 3, y); }, &found.top, &found.bottom);
    return found;
}

// Nothing printed: no "PRTDLG" and no new PDF while a job would have written one.
void CheckNothingPrinted(const App &app, const std::set<std::string> &before, int line) {
    if (WaitCaption(app, "Zelka", 300)) Fail(__FILE__, line, "a print job started");
    if (!WaitNewPdf(before, 2500).empty()) Fail(__FILE__, line, "a PDF was printed");
}

bool Ready() {
    if (gSetup.ready) return true;
    gScenario->skipped = true;
    std::printf("  skipped: %s\n", gSetup.skipReason.c_str());
    return false;
}

// ---- scenarios ----

// The layout dialog of a 200 x 100 picture on the portrait A4 page: its texts, the preview's shape, the fitted
// rectangle, a drag past the margin, a click and an up-left drag that leave nothing, and cancel.
void PrintDialogLayout() {
    if (!Ready()) return;
    WriteIni(Ini());
    App app;
    if (!Launch(app) || !OpenPicture(app, gSetup.wide)) return;
    const std::set<std::string> before = PdfFiles();
    HWND dialog = OpenPrintDialog(app);
    if (!dialog) return Quit(app), void();
    std::string texts = DialogMessage(dialog);
    for (const char *label : {"印刷ｻｲｽﾞを指定して下さい", "左端", "mmから幅", "上端", "mmから高さ"})
        if (texts.find(label) == std::string::npos) Fail(__FILE__, __LINE__, std::string("no label ") + label);
    CHECK_EQ(WindowText(GetDlgItem(dialog, IDOK)), std::string("印刷実行(&E)"));
    CHECK_EQ(WindowText(GetDlgItem(dialog, IDCANCEL)), std::string("取消(&C)"));
    CHECK(!IsWindowEnabled(app.frame));

    const RECT client = ClientRectOf(dialog), p = FindPreview(dialog);
    const int pw = p.right - p.left, ph = p.bottom - p.top;
    CHECK_EQ(p.left, 2L);
    CHECK_EQ(p.top, 2L);
    CHECK_EQ((long)ph, client.bottom - 4);
    const double page = (double)gSetup.metrics.horzRes / gSetup.metrics.vertRes;
    if (std::fabs((double)pw / ph - page) > 0.01) Fail(__FILE__, __LINE__, "preview " + Show(pw) + " x " + Show(ph));
    // Page millimetres per client pixel (the offsets count the 2-pixel margin).
    const double mmX = (double)gSetup.metrics.horzRes / gSetup.metrics.logPixelsX * 25.4 / pw;
    const double pageW = pw * mmX, pageH = (double)gSetup.metrics.vertRes / gSetup.metrics.logPixelsY * 25.4;

    // At first the whole 1 cm limits, fitted: as wide as they allow, twice as wide as high.
    Mm m = ReadMm(dialog);
    if (std::abs(m.width - 2 * m.height) > 2 || m.left < 10 || m.left + m.width > pageW - 7 || m.width < pageW - 24)
        Fail(__FILE__, __LINE__, "first rectangle " + ShowMm(m));

    // Past the bottom-right margin: clamped to the limits, then shrunk to the picture's aspect.
    const int x0 = p.left + pw / 3, y0 = p.top + ph / 3;
    Drag(app, dialog, x0, y0, client.right + 300, client.bottom + 300);
    m = ReadMm(dialog);
    if (std::abs(m.left - (int)(x0 * mmX)) > 1 || std::abs(m.width - 2 * m.height) > 2 || m.width <= 0 ||
        m.left + m.width > pageW - 7 || m.left + m.width < pageW - 12 || m.top + m.height > pageH - 7)
        Fail(__FILE__, __LINE__, "dragged past the margin: " + ShowMm(m));
    ScreenshotWindow(dialog, "print_dialog");

    // A press and release on one spot leaves an empty rectangle; so does a drag up and to the left.
    Drag(app, dialog, x0, y0, x0, y0);
    m = ReadMm(dialog);
    CHECK_EQ(m.width, 0);
    CHECK_EQ(m.height, 0);
    Drag(app, dialog, x0 + 40, y0 + 40, x0, y0);
    m = ReadMm(dialog);
    CHECK_EQ(m.width + m.height, 0);
    PressOk(dialog);
    CHECK(WaitGone(dialog, 5000));

    // Cancel after a drag.
    dialog = OpenPrintDialog(app);
    if (dialog) {
        Drag(app, dialog, x0, y0, x0 + 60, y0 + 60);
        CHECK(ReadMm(dialog).width > 0);
        PressCancel(dialog);
        CHECK(WaitGone(dialog, 5000));
    }
    CheckNothingPrinted(app, before, __LINE__);
    CHECK(IsWindowEnabled(app.frame));
    CHECK_EQ(Quit(app), 0);
}

// The colour of a rendered pixel is near `want` in every channel.
bool Near(uint32_t got, uint32_t want) {
    for (int s = 0; s < 24; s += 8)
        if (std::abs((int)(got >> s & 255) - (int)(want >> s & 255)) > 48) return false;
    return true;
}

// A 64 x 32 pattern printed for real: one page, where the millimetres said, with its aspect and its quadrants.
void PrintRealPage() {
    if (!Ready()) return;
    WriteIni(Ini());
    App app;
    if (!Launch(app) || !OpenPicture(app, gSetup.pattern)) return;
    const std::set<std::string> before = PdfFiles();
    HWND dialog = OpenPrintDialog(app);
    if (!dialog) return Quit(app), void();
    const RECT p = FindPreview(dialog);
    Drag(app, dialog, p.left + (p.right - p.left) / 4, p.top + (p.bottom - p.top) / 5, p.right - 30, p.bottom);
    const Mm m = ReadMm(dialog);
    PressOk(dialog);
    std::string pdf = WaitNewPdf(before, 30000);
    CHECK(!pdf.empty());
    CHECK(WaitGone(WaitCaption(app, "Zelka", 10), 5000));
    CHECK(IsWindowEnabled(app.frame));
    if (!pdf.empty()) {
        CHECK_EQ(PdfPages(pdf), 1);
        const int dpi = 150;
        Raster r = RenderPdf(pdf, dpi);
        CHECK(r.width > 0);
        int left = r.width, top = r.height, right = -1, bottom = -1;
        for (int y = 0; y < r.height; ++y)
            for (int x = 0; x < r.width; ++x)
                if ((r.at(x, y) & 0xF0F0F0) != 0xF0F0F0) {
                    left = std::min(left, x), top = std::min(top, y);
                    right = std::max(right, x + 1), bottom = std::max(bottom, y + 1);
                }
        const double toMm = 25.4 / dpi;
        const double got[4] = {left * toMm, (right - left) * toMm, top * toMm, (bottom - top) * toMm};
        const int said[4] = {m.left, m.width, m.top, m.height};
        // The dialog truncates: the true value lies in [said, said + 1).
        for (int i = 0; i < 4; ++i)
            if (got[i] < said[i] - 1.0 || got[i] > said[i] + 2.0)
                Fail(__FILE__, __LINE__, "printed box " + Show(left) + "," + Show(top) + " " + Show(right - left) + "x" +
                                             Show(bottom - top) + " px against " + ShowMm(m));
        if (right > left && bottom > top) {
            const double aspect = (double)(right - left) / (bottom - top);
            if (std::fabs(aspect - 2.0) > 0.04) Fail(__FILE__, __LINE__, "printed aspect " + std::to_string(aspect));
            const int qx[2] = {left + (right - left) / 4, left + (right - left) * 3 / 4};
            const int qy[2] = {top + (bottom - top) / 4, top + (bottom - top) * 3 / 4};
            const uint32_t want[2][2] = {{0xFF0000, 0x00FF00}, {0x0000FF, 0xFFFF00}};
            for (int j = 0; j < 2; ++j)
                for (int i = 0; i < 2; ++i)
                    if (!Near(r.at(qx[i], qy[j]), want[j][i]))
                        Fail(__FILE__, __LINE__, "quadrant " + Show(j) + "," + Show(i) + " is " + Show((long long)r.at(qx[i], qy[j])));
        }
    }
    CHECK_EQ(Quit(app), 0);
}

// A 4000 x 3000 picture: "中止" during the job drops it and gives the main window back; then the same job printed
// whole, timed from "印刷実行(&E)" to the PDF on disk.
void PrintLongJob() {
    if (!Ready()) return;
    WriteIni(Ini());
    App app;
    if (!Launch(app) || !OpenPicture(app, gSetup.big)) return;
    std::set<std::string> before = PdfFiles();
    HWND dialog = OpenPrintDialog(app);
    if (!dialog) return Quit(app), void();
    PressOk(dialog);
    HWND printing = WaitCaption(app, "Zelka", 10000);
    CHECK(printing != nullptr);
    if (printing) {
        for (DWORD start = GetTickCount(); IsWindowEnabled(app.frame) && GetTickCount() - start < 2000;) Sleep(5);
        CHECK(!IsWindowEnabled(app.frame));
        CHECK(DialogMessage(printing).find("印刷中...") != std::string::npos);
        CHECK_EQ(WindowText(GetDlgItem(printing, IDCANCEL)), std::string("中止"));
        ScreenshotWindow(printing, "print_progress");
        PostMessageA(GetDlgItem(printing, IDCANCEL), BM_CLICK, 0, 0);
        CHECK(WaitGone(printing, 20000));
        CHECK(IsWindowEnabled(app.frame));
        CHECK(Sync(app));
        if (!WaitNewPdf(before, 3000).empty()) Fail(__FILE__, __LINE__, "the aborted job printed");
    }

    before = PdfFiles();
    dialog = OpenPrintDialog(app);
    if (dialog) {
        LARGE_INTEGER f, t0, enabled{}, done{};
        QueryPerformanceFrequency(&f);
        QueryPerformanceCounter(&t0);
        PressOk(dialog);
        // The main window is disabled from the job's start to its end.
        HWND job = WaitCaption(app, "Zelka", 10000);
        CHECK(job != nullptr);
        const DWORD start = GetTickCount();
        while ((job && IsWindow(job)) || !IsWindowEnabled(app.frame)) {
            if (GetTickCount() - start > 120000) break;
            Sleep(5);
        }
        QueryPerformanceCounter(&enabled);
        std::string pdf = WaitNewPdf(before, 120000);
        QueryPerformanceCounter(&done);
        CHECK(!pdf.empty());
        if (!pdf.empty()) CHECK_EQ(PdfPages(pdf), 1);
        std::printf("timing: print 4000 x 3000, 印刷実行 to the PDF on disk: %.0f ms; main window disabled: %.0f ms\n",
                    (done.QuadPart - t0.QuadPart) * 1000.0 / f.QuadPart,
                    (enabled.QuadPart - t0.QuadPart) * 1000.0 / f.QuadPart);
    }
    CHECK_EQ(Quit(app), 0);
}

HWND WaitFailureMessage(const App &app) {
    DWORD start = GetTickCount();
    do {
        HWND box = WaitDialog(app, 50);
        if (box && DialogMessage(box).find("印刷できません") != std::string::npos) return box;
    } while (GetTickCount() - start < 20000);
    return nullptr;
}

// A queue that refuses jobs and a CUPS that goes away during the job: the message, then the program goes on.
void PrintFailures() {
    if (!Ready()) return;
    WriteIni(Ini());
    App app;
    if (!Launch(app) || !OpenPicture(app, gSetup.wide)) return;
    CHECK(Lp("cupsreject"));
    HWND dialog = OpenPrintDialog(app);
    if (dialog) {
        PressOk(dialog);
        HWND box = WaitFailureMessage(app);
        CHECK(box != nullptr);
        if (box) PressOk(box), WaitGone(box, 5000);
        CHECK(IsWindowEnabled(app.frame));
        CHECK(Sync(app));
    }
    CHECK(Lp("cupsaccept"));

    dialog = OpenPrintDialog(app);
    if (dialog) {
        CHECK(RunCups("stop"));
        PressOk(dialog);
        HWND box = WaitFailureMessage(app);
        CHECK(box != nullptr);
        if (box) UpdateWindow(box), ScreenshotWindow(box, "print_failed"), PressOk(box), WaitGone(box, 5000);
        CHECK(IsWindowEnabled(app.frame));
        CHECK(Sync(app));
    }
    CHECK_EQ(Quit(app), 0);

    CHECK(RunCups("start"));
}

void MakePrintPictures() {
    gSetup.wide = Join(gPaths.dataDir, "wide.bmp");
    WriteBmp24(gSetup.wide, 200, 100, [](int x, int y) { return (uint32_t)(x * 255 / 199) << 16 | (uint32_t)(y * 2) << 8 | 0x60; });
    gSetup.pattern = Join(gPaths.dataDir, "quadrants.bmp");
    WriteBmp24(gSetup.pattern, 64, 32, [](int x, int y) {
        return y < 16 ? (x < 32 ? 0xFF0000u : 0x00FF00u) : (x < 32 ? 0x0000FFu : 0xFFFF00u);
    });
    gSetup.big = Join(gPaths.dataDir, "big.bmp"); // written by the driver for its timings
}

// Reads the environment run.sh prepared and the printer's page once, before the first print scenario.
void SetUp() {
    static bool done = false;
    if (done) return;
    done = true;
    MakePrintPictures();
    gSetup.skipReason = Env("ORBEN_E2E_PRINT_SKIP");
    gSetup.cupsScript = Env("ORBEN_E2E_CUPS");
    gSetup.pdfUnixDir = Env("ORBEN_E2E_PDF_DIR");
    gSetup.pdfDir = WindowsPath(gSetup.pdfUnixDir);
    gSetup.scratchUnixDir = Env("ORBEN_E2E_UNIX_SCRATCH");
    if (gSetup.skipReason.empty() && (gSetup.cupsScript.empty() || gSetup.pdfUnixDir.empty() || gSetup.scratchUnixDir.empty()))
        gSetup.skipReason = "no private CUPS (run through tests/e2e/run.sh)";
    if (!gSetup.skipReason.empty()) return;
    char name[256];
    DWORD size = sizeof name;
    HDC printer = GetDefaultPrinterA(name, &size) ? CreateDCA("WINSPOOL", name, nullptr, nullptr) : nullptr;
    if (!printer) {
        gSetup.skipReason = "Wine sees no default printer";
        return;
    }
    gSetup.metrics = {GetDeviceCaps(printer, HORZRES), GetDeviceCaps(printer, VERTRES),
                      GetDeviceCaps(printer, LOGPIXELSX), GetDeviceCaps(printer, LOGPIXELSY)};
    DeleteDC(printer);
    gSetup.ready = gSetup.metrics.horzRes > 0 && gSetup.metrics.vertRes > 0;
    if (!gSetup.ready) gSetup.skipReason = "the default printer reports no page size";
}

template <void (*Run)()>
void WithSetUp() {
    SetUp();
    Run();
}

} // namespace

const PrintScenario kPrintScenarios[] = {
    {"print_dialog_layout", WithSetUp<PrintDialogLayout>},
    {"print_real_page", WithSetUp<PrintRealPage>},
    {"print_long_job", WithSetUp<PrintLongJob>},
    {"print_failures", WithSetUp<PrintFailures>},
};
const int kPrintScenarioCount = sizeof kPrintScenarios / sizeof kPrintScenarios[0];
