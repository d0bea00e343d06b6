// The resize and stipple dialogs worked as a person would: found by caption, edits typed into, buttons pressed.
// The expected pictures come from the core code orbentool runs (open, resize or stipple), linked into the driver.
#include "dialogs_scenarios.h"

#include <windows.h>

#include <cstdio>
#include <string>

#include "driver_support.h"
#include "formats/open_picture.h"
#include "image/range_palette.h"
#include "platform/block.h"
#include "transform/resize.h"
#include "view/stipple.h"

namespace {

struct DialogsPictures {
    std::string edges;  // 160 x 120: gradients and sharp bars, so the edge threshold matters
    uint64_t edgesHash = 0;
};
DialogsPictures gDlg;

const char *const kResizeCaption = "拡大縮小";
const char *const kStippleCaption = "点描表示";
const std::string kUndoReleased = "グローバルメモリが足りないので\nUnDoバッファを開放します";
const std::string kNoMemory = "グローバルメモリが足りません";

std::string Ini() { return "[CONFIG]\r\nWindowRect=20,20,640,480\r\n[Add-in]\r\nDLL1=E2EPROBE1.DLL\r\n"; }

// ---- expected pictures, as orbentool makes them ----

uint64_t HashOf(PackedDib dib) {
    BlockLockGuard lock(dib);
    if (!lock) return 0;
    const DibHeader *h = reinterpret_cast<const DibHeader *>(lock.get());
    const unsigned char *pixels = DibPixels(lock.get());
    uint64_t hash = 1469598103934665603ull;
    for (int row = 0; row < h->biHeight; ++row) {
        const unsigned char *p = pixels + Stride24(h->biWidth) * row;
        for (size_t i = 0; i < (size_t)h->biWidth * 3; ++i) hash = (hash ^ p[i]) * 1099511628211ull;
    }
    return hash;
}

// orbentool resize IN OUT WIDTH HEIGHT --threshold T
uint64_t ExpectedResize(const std::string &path, int width, int height, int threshold) {
    PackedDib source = OpenPictureFile(path.c_str(), nullptr);
    PackedDib result = source ? ResizePicture(source, width, height, threshold) : nullptr;
    const uint64_t hash = result ? HashOf(result) : 0;
    if (source) BlockFree(source);
    if (result) BlockFree(result);
    return hash;
}

// orbentool stipple IN OUT --colors 16|256 (the 256 colours of the start-up display palette)
uint64_t ExpectedStipple(const std::string &path, int colours) {
    StipplePalette palette;
    if (colours == 16) {
        palette = MakeStipplePalette16();
    } else {
        PaletteEntryRgb entries[256];
        MakeRangePaletteEntries(255, 255, 255, 0, 0, 0, entries);
        palette = MakeStipplePalette256(entries);
    }
    PackedDib source = OpenPictureFile(path.c_str(), nullptr);
    PackedDib result = source ? StipplePicture(source, palette) : nullptr;
    const uint64_t hash = result ? HashOf(result) : 0;
    if (source) BlockFree(source);
    if (result) BlockFree(result);
    return hash;
}

// The FNV-1a hash of a 24-bit BMP file's pixel rows, padding left out.
uint64_t FileHash(const std::string &path) {
    PackedDib dib = OpenPictureFile(path.c_str(), nullptr);
    const uint64_t hash = dib ? HashOf(dib) : 0;
    if (dib) BlockFree(dib);
    return hash;
}

// ---- working the dialogs ----

bool OpenPicture(App &app, const std::string &path) {
    if (!OpenPath(app, path) || !WaitOpenDone(app)) {
        Fail(__FILE__, __LINE__, "the open of " + path + " did not finish");
        return false;
    }
    return Sync(app);
}

// Runs a menu command and finds its dialog by caption.
HWND OpenDialog(App &app, int command, const char *caption) {
    PostMessageA(app.frame, WM_COMMAND, command, 0);
    HWND dialog = WaitDialog(app, 10000);
    if (!dialog) {
        Fail(__FILE__, __LINE__, std::string("no dialog \"") + caption + "\"");
        return nullptr;
    }
    if (WindowText(dialog) != caption) {
        Fail(__FILE__, __LINE__, "dialog \"" + WindowText(dialog) + "\" instead of \"" + caption + "\"");
        PressCancel(dialog);
        WaitGone(dialog, 5000);
        return nullptr;
    }
    return dialog;
}

// A control's text; WM_GETTEXT reaches the edit itself (GetWindowText across processes would not).
std::string Item(HWND dialog, int id) {
    char text[256] = "";
    SendMessageA(GetDlgItem(dialog, id), WM_GETTEXT, sizeof text, (LPARAM)text);
    return text;
}

// Waits for the frame caption (status bar hidden) to contain `part`.
bool CaptionShows(const App &app, const std::string &part) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < 3000; Sleep(10))
        if (WindowText(app.frame).find(part) != std::string::npos) return true;
    return false;
}

// Replaces an edit's text at once, as a paste would.
void Put(HWND dialog, int id, const char *text) { SendMessageA(GetDlgItem(dialog, id), WM_SETTEXT, 0, (LPARAM)text); }

// Selects an edit's text and types over it key by key.
void TypeKeys(HWND dialog, int id, const char *text) {
    HWND edit = GetDlgItem(dialog, id);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    for (const char *c = text; *c; ++c) SendMessageA(edit, WM_CHAR, (WPARAM)(unsigned char)*c, 1);
}

bool IsChecked(HWND dialog, int id) { return SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void Click(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

void Push(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dialog, id));
}

// Pushes a button that must leave the dialog open.
void PushStaysOpen(App &app, HWND dialog, int id, const char *why) {
    Push(dialog, id);
    if (WaitGone(dialog, 400)) Fail(__FILE__, __LINE__, std::string("the dialog closed for ") + why);
}

void PushAndWait(App &app, HWND dialog, int id) {
    Push(dialog, id);
    if (!WaitGone(dialog, 10000)) Fail(__FILE__, __LINE__, "the dialog stayed open after button " + std::to_string(id));
    Sync(app, 30000);
}

// The next message box (not `dialog`, which may linger hidden while its command runs), answered with OK.
std::string TakeMessage(App &app, HWND dialog) { return TakeMessageBox(app, 10000, dialog); }

const ProbeDisplay &QueryDisplay(const App &app) {
    ProbeBlock *block = Probe();
    block->display.answered = 0;
    COPYDATASTRUCT data{kQueryDisplayHash, 0, nullptr};
    DWORD_PTR result = 0;
    SendMessageTimeoutA(app.frame, WM_COPYDATA, 0, (LPARAM)&data, SMTO_BLOCK, 10000, &result);
    if (!block->display.answered) Fail(__FILE__, __LINE__, "no probe answered the display query");
    return block->display;
}

bool Contains(const std::vector<std::string> &lines, const std::string &part) {
    for (const std::string &l : lines)
        if (l.find(part) != std::string::npos) return true;
    return false;
}

// ---- scenarios ----

// The four linked edits with and without keep-aspect, typed and pasted; then the display scale.
void ResizeLinkedEditsAndDisplayScale() {
    WriteIni(Ini());
    App app;
    if (!Launch(app)) return;
    if (OpenPicture(app, gDlg.edges)) {
        HWND d = OpenDialog(app, IDM_EDIT_RESIZE, kResizeCaption);
        if (d) {
            CHECK_EQ(Item(d, IDC_RESIZE_WIDTH_NOW), std::string("160"));
            CHECK_EQ(Item(d, IDC_RESIZE_HEIGHT_NOW), std::string("120"));
            CHECK_EQ(Item(d, IDC_RESIZE_WIDTH_PERCENT), std::string("100"));
            CHECK_EQ(Item(d, IDC_RESIZE_HEIGHT_PERCENT), std::string("100"));
            CHECK_EQ(Item(d, IDC_RESIZE_WIDTH), std::string("160"));
            CHECK_EQ(Item(d, IDC_RESIZE_HEIGHT), std::string("120"));
            CHECK_EQ(Item(d, IDC_RESIZE_THRESHOLD), std::string("92"));
            CHECK(IsChecked(d, IDC_RESIZE_KEEP_ASPECT));
            CHECK_EQ(Item(d, IDC_RESIZE_INTERNAL), std::string("内部ｲﾒｰｼﾞ拡大縮小"));
            Sleep(500); // let the dialog and the view finish painting
            Screenshot(app, "resize_dialog");

            Put(d, IDC_RESIZE_WIDTH_PERCENT, "50");
            CHECK_EQ(Item(d, IDC_RESIZE_WIDTH), std::string("80"));
            CHECK_EQ(Item(d, IDC_RESIZE_HEIGHT), std::string("60"));
            CHECK_EQ(Item(d, IDC_RESIZE_HEIGHT_PERCENT), std::string("50"));
            TypeKeys(d, IDC_RESIZE_WIDTH, "40");
            CHECK_EQ(Item(d, IDC_RESIZE_WIDTH), std::string("40"));
            CHECK_EQ(Item(d, IDC_RESIZE_WIDTH_PERCENT), std::string("25"));
            CHECK_EQ(Item(d, IDC_RESIZE_HEIGHT), std::string("30"));
            CHECK_EQ(Item(d, IDC_RESIZE_HEIGHT_PERCENT), std::string("25"));
            Put(d, IDC_RESIZE_HEIGHT, "90");
            CHECK_EQ(Item(d, IDC_RESIZE_HEIGHT_PERCENT), std::string("75"));
            CHECK_EQ(Item(d, IDC_RESIZE_WIDTH), std::string("120"));
            CHECK_EQ(Item(d, IDC_RESIZE_WIDTH_PERCENT), std::string("75"));
            // A value of 0 or below changes nothing else.
            Put(d, IDC_RESIZE_HEIGHT_PERCENT, "0");
            CHECK_EQ(Item(d, IDC_RESIZE_HEIGHT), std::string("90"));

            // Keep-aspect off: only the edited pair follows.
            Click(d, IDC_RESIZE_KEEP_ASPECT);
            CHECK(!IsChecked(d, IDC_RESIZE_KEEP_ASPECT));
            TypeKeys(d, IDC_RESIZE_HEIGHT_PERCENT, "50");
            CHECK_EQ(Item(d, IDC_RESIZE_HEIGHT), std::string("60"));
            CHECK_EQ(Item(d, IDC_RESIZE_WIDTH), std::string("120"));
            CHECK_EQ(Item(d, IDC_RESIZE_WIDTH_PERCENT), std::string("75"));
            Put(d, IDC_RESIZE_WIDTH, "32");
            CHECK_EQ(Item(d, IDC_RESIZE_WIDTH_PERCENT), std::string("20"));
            CHECK_EQ(Item(d, IDC_RESIZE_HEIGHT), std::string("60"));
            CHECK_EQ(Item(d, IDC_RESIZE_HEIGHT_PERCENT), std::string("50"));

            Click(d, IDC_RESIZE_KEEP_ASPECT);
            CHECK(IsChecked(d, IDC_RESIZE_KEEP_ASPECT));
            Put(d, IDC_RESIZE_WIDTH_PERCENT, "50");
            CHECK_EQ(Item(d, IDC_RESIZE_HEIGHT_PERCENT), std::string("50"));
            PushAndWait(app, d, IDOK);
            ProbeState s = QueryState(app);
            CHECK_EQ(s.scale[0], 2.0f);
            CHECK_EQ(s.scale[1], 2.0f);
            CHECK_EQ(s.pixelHash, gDlg.edgesHash);
            CHECK_EQ(s.info.biWidth, 160);
            CHECK(StatusText(app, 1).find("(50% x 50%)") != std::string::npos);

            // The dialog opens on the display scale; a huge percentage is held to the largest scale.
            d = OpenDialog(app, IDM_EDIT_RESIZE, kResizeCaption);
            if (d) {
                CHECK_EQ(Item(d, IDC_RESIZE_WIDTH_PERCENT), std::string("50"));
                CHECK_EQ(Item(d, IDC_RESIZE_WIDTH), std::string("80"));
                Put(d, IDC_RESIZE_WIDTH_PERCENT, "99999999");
                PushAndWait(app, d, IDOK);
                CHECK(StatusText(app, 1).find("(6400% x 6400%)") != std::string::npos);
                CHECK_EQ(QueryState(app).pixelHash, gDlg.edgesHash);
            }
            d = OpenDialog(app, IDM_EDIT_RESIZE, kResizeCaption);
            if (d) {
                PushAndWait(app, d, IDCANCEL);
                CHECK(StatusText(app, 1).find("(6400% x 6400%)") != std::string::npos);
            }
        }
    }
    Quit(app);
}

// Refused sizes keep the dialog open; the internal resize gives orbentool's picture, UnDo brings the old one
// back, the threshold is remembered, and with the status bar hidden the progress goes to the caption.
void ResizeInternalImage() {
    WriteIni(Ini());
    App app;
    if (!Launch(app)) return;
    if (OpenPicture(app, gDlg.edges)) {
        HWND d = OpenDialog(app, IDM_EDIT_RESIZE, kResizeCaption);
        if (d) {
            Put(d, IDC_RESIZE_THRESHOLD, "40");
            Put(d, IDC_RESIZE_WIDTH_PERCENT, "50");
            Put(d, IDC_RESIZE_WIDTH, "0");
            PushStaysOpen(app, d, IDC_RESIZE_INTERNAL, "a width of 0");
            Put(d, IDC_RESIZE_WIDTH, "-5");
            PushStaysOpen(app, d, IDC_RESIZE_INTERNAL, "a width of -5");
            Put(d, IDC_RESIZE_WIDTH_PERCENT, "9999999");
            PushStaysOpen(app, d, IDC_RESIZE_INTERNAL, "a size past the size guard");
            Put(d, IDC_RESIZE_WIDTH_PERCENT, "50");
            CHECK_EQ(Item(d, IDC_RESIZE_WIDTH), std::string("80"));
            CHECK_EQ(QueryState(app).pixelHash, gDlg.edgesHash);
            PushAndWait(app, d, IDC_RESIZE_INTERNAL);
            ProbeState s = QueryState(app);
            CHECK_EQ(s.info.biWidth, 80);
            CHECK_EQ(s.info.biHeight, 60);
            CHECK_EQ(s.pixelHash, ExpectedResize(gDlg.edges, 80, 60, 40));
            CHECK_EQ(s.displayWidth, 80);
            CHECK_EQ(s.scale[0], 1.0f);
            CHECK(!Grayed(s, IDM_EDIT_UNDO));
            CHECK(StatusText(app, 1).find("(100% x 100%)") != std::string::npos);
            Command(app, IDM_EDIT_UNDO);
            s = QueryState(app);
            CHECK_EQ(s.pixelHash, gDlg.edgesHash);
            CHECK_EQ(s.displayWidth, 160);
        }

        Command(app, IDM_VIEW_HIDE_STATUS);
        FindChildren(app);
        d = OpenDialog(app, IDM_EDIT_RESIZE, kResizeCaption);
        if (d) {
            CHECK_EQ(Item(d, IDC_RESIZE_THRESHOLD), std::string("40"));
            // Keep-aspect off; the width alone grows.
            Click(d, IDC_RESIZE_KEEP_ASPECT);
            Put(d, IDC_RESIZE_WIDTH, "250");
            CHECK_EQ(Item(d, IDC_RESIZE_HEIGHT), std::string("120"));
            const int from = TextCount();
            PushAndWait(app, d, IDC_RESIZE_INTERNAL);
            ProbeState s = QueryState(app);
            CHECK_EQ(s.info.biWidth, 250);
            CHECK_EQ(s.info.biHeight, 120);
            CHECK_EQ(s.pixelHash, ExpectedResize(gDlg.edges, 250, 120, 40));
            const std::vector<std::string> texts = TextsSince(from);
            CHECK(Contains(texts, "高さ変更 50%"));
            CHECK(Contains(texts, "幅変更 95%"));
            CHECK(CaptionShows(app, "(100% x 100%)"));
        }
        // Keep-aspect stays off for the run.
        d = OpenDialog(app, IDM_EDIT_RESIZE, kResizeCaption);
        if (d) {
            CHECK(!IsChecked(d, IDC_RESIZE_KEEP_ASPECT));
            PushAndWait(app, d, IDCANCEL);
        }
    }
    Quit(app);
}

// A resize whose result cannot be allocated keeps the picture and shows it again, after the policy's messages; a
// stipple without memory leaves the full-colour display.
void WithoutMemoryThePictureStays() {
    WriteIni(Ini());
    App app;
    // The enlargement's intermediate (160 x 240) is let through, its result (320 x 240) fails every time.
    SetEnvironmentVariableA("ORBEN_TEST_FAIL_ALLOC", "200000,3");
    const bool launched = Launch(app);
    SetEnvironmentVariableA("ORBEN_TEST_FAIL_ALLOC", nullptr);
    if (launched && OpenPicture(app, gDlg.edges)) {
        HWND d = OpenDialog(app, IDM_EDIT_RESIZE, kResizeCaption);
        if (d) {
            Put(d, IDC_RESIZE_WIDTH_PERCENT, "200");
            Push(d, IDC_RESIZE_INTERNAL);
            CHECK_EQ(TakeMessage(app, d), kUndoReleased);
            CHECK_EQ(TakeMessage(app, d), kNoMemory);
            Sync(app);
            ProbeState s = QueryState(app);
            CHECK_EQ(s.info.biWidth, 160);
            CHECK_EQ(s.pixelHash, gDlg.edgesHash);
            CHECK_EQ(s.displayWidth, 160);
            CHECK(Grayed(s, IDM_EDIT_UNDO));
        }
    }
    Quit(app);

    // The stipple's block (57640 bytes) fails every time: with no undo copy to give up only the last message
    // comes, the internal image stays and the full-colour display image is back.
    SetEnvironmentVariableA("ORBEN_TEST_FAIL_ALLOC", "50000,3");
    App second;
    const bool again = Launch(second);
    SetEnvironmentVariableA("ORBEN_TEST_FAIL_ALLOC", nullptr);
    if (again && OpenPicture(second, gDlg.edges)) {
        HWND d = OpenDialog(second, IDM_VIEW_STIPPLE, kStippleCaption);
        if (d) {
            Push(d, IDOK);
            CHECK_EQ(TakeMessage(second, d), kNoMemory);
            Sync(second);
            CHECK_EQ(QueryState(second).pixelHash, gDlg.edgesHash);
            CHECK_EQ(QueryDisplay(second).pixelHash, gDlg.edgesHash);
        }
    }
    Quit(second);
}

// Both stipples give orbentool's picture as the display image and leave the internal image alone; a save of the
// display image writes it; the next edit brings the full-colour display back.
void StippleDisplay() {
    WriteIni(Ini());
    App app;
    if (!Launch(app)) return;
    const std::string saved = Join(gPaths.dataDir, "stippled_display.bmp");
    DeleteFileA(saved.c_str());
    if (OpenPicture(app, gDlg.edges)) {
        HWND d = OpenDialog(app, IDM_VIEW_STIPPLE, kStippleCaption);
        if (d) {
            CHECK(IsChecked(d, IDC_STIPPLE_16));
            CHECK(!IsChecked(d, IDC_STIPPLE_256));
            CHECK_EQ(Item(d, IDOK), std::string("実行(&E)"));
            Sleep(500);
            Screenshot(app, "stipple_dialog");
            PushAndWait(app, d, IDCANCEL);
            CHECK_EQ(QueryDisplay(app).pixelHash, gDlg.edgesHash);
        }
        const uint64_t expected16 = ExpectedStipple(gDlg.edges, 16);
        d = OpenDialog(app, IDM_VIEW_STIPPLE, kStippleCaption);
        if (d) {
            PushAndWait(app, d, IDOK);
            const ProbeDisplay &shown = QueryDisplay(app);
            CHECK(shown.ok);
            CHECK_EQ(shown.width, 160);
            CHECK_EQ(shown.pixelHash, expected16);
            CHECK_EQ(QueryState(app).pixelHash, gDlg.edgesHash);
            Sleep(300);
            Screenshot(app, "stippled_16");
            Command(app, IDM_FILE_SAVE_DISPLAY);
            PostMessageA(app.frame, WM_COMMAND, IDM_FILE_SAVE, 0);
            HWND save = WaitDialog(app, 10000);
            HWND edit = save ? FileNameEdit(save) : nullptr;
            CHECK(edit != nullptr);
            if (edit) {
                SendMessageA(edit, WM_SETTEXT, 0, (LPARAM)saved.c_str());
                PressOk(save);
                WaitGone(save, 10000);
                Sync(app);
                CHECK_EQ(FileHash(saved), expected16);
            } else if (save) {
                PressCancel(save);
            }
        }
        d = OpenDialog(app, IDM_VIEW_STIPPLE, kStippleCaption);
        if (d) {
            Click(d, IDC_STIPPLE_256);
            CHECK(IsChecked(d, IDC_STIPPLE_256));
            CHECK(!IsChecked(d, IDC_STIPPLE_16));
            PushAndWait(app, d, IDOK);
            CHECK_EQ(QueryDisplay(app).pixelHash, ExpectedStipple(gDlg.edges, 256));
            CHECK_EQ(QueryState(app).pixelHash, gDlg.edgesHash);
        }
        // An edit rebuilds the display image from the internal image.
        Command(app, IDM_ROTATE_RIGHT);
        Command(app, IDM_EDIT_UNDO);
        CHECK_EQ(QueryState(app).pixelHash, gDlg.edgesHash);
        CHECK_EQ(QueryDisplay(app).pixelHash, gDlg.edgesHash);
    }
    Quit(app);
}

// ---- timings ----

// The time from `t0` to the probe's log entry of command `id` (the dispatcher has returned: the picture is
// repainted), or -1.
double MillisecondsUntilCommand(int from, int id, int64_t t0, DWORD timeoutMs = 120000) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs; Sleep(5))
        for (int i = from; i < LogCount(); ++i)
            if (LogAt(i).message == WM_COMMAND && (int)LogAt(i).id == id) return Milliseconds(LogAt(i).qpc - t0);
    return -1;
}

int64_t Now() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

// orbentool.exe (beside ORBEN.EXE when run.sh found it) on the same file, in milliseconds, or -1.
double TimeOrbentool(const std::string &arguments) {
    const std::string exe = Join(gPaths.programDir, "orbentool.exe");
    if (!FileExists(exe)) return -1;
    std::string line = "\"" + exe + "\" " + arguments;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    const int64_t t0 = Now();
    if (!CreateProcessA(exe.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, gPaths.dataDir.c_str(), &si, &pi))
        return -1;
    WaitForSingleObject(pi.hProcess, 300000);
    const int64_t t1 = Now();
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code == 0 ? Milliseconds(t1 - t0) : -1;
}

void Report(const char *what, double gui, double tool) {
    char line[200];
    if (tool > 0)
        std::snprintf(line, sizeof line, "timing: %s 4000x3000: dialog button to repainted %.0f ms, orbentool %.0f ms, "
                      "ratio %.2f", what, gui, tool, gui / tool);
    else
        std::snprintf(line, sizeof line, "timing: %s 4000x3000: dialog button to repainted %.0f ms (no orbentool.exe)",
                      what, gui);
    std::printf("%s\n", line);
    FILE *f = std::fopen(Join(gPaths.outDir, "dialogs_timings.txt").c_str(), "a");
    if (f) {
        std::fprintf(f, "%s\n", line);
        std::fclose(f);
    }
}

// The internal resize to 50 % and 200 % and the 16-colour stipple of a 4000 x 3000 picture, against orbentool
// on the same file in the same run.
void DialogsTimings() {
    const std::string big = Join(gPaths.dataDir, "big.bmp");
    if (!FileExists(big)) {
        Fail(__FILE__, __LINE__, "missing " + big);
        return;
    }
    DeleteFileA(Join(gPaths.outDir, "dialogs_timings.txt").c_str());
    WriteIni("[CONFIG]\r\nWindowRect=0,0,1000,740\r\n[Add-in]\r\nDLL1=E2EPROBE1.DLL\r\n");
    App app;
    if (!Launch(app)) return;
    if (OpenPicture(app, big)) {
        const struct {
            const char *what, *percent, *tool;
            int width, height;
        } resizes[] = {{"resize 50%", "50", "resize -q big.bmp timed_out.bmp 2000 1500", 2000, 1500},
                       {"resize 200%", "200", "resize -q big.bmp timed_out.bmp 8000 6000", 8000, 6000}};
        for (const auto &r : resizes) {
            HWND d = OpenDialog(app, IDM_EDIT_RESIZE, kResizeCaption);
            if (!d) continue;
            Put(d, IDC_RESIZE_WIDTH_PERCENT, r.percent);
            const int from = LogCount();
            const int64_t t0 = Now();
            Push(d, IDC_RESIZE_INTERNAL);
            const double gui = MillisecondsUntilCommand(from, IDM_EDIT_RESIZE, t0);
            CHECK(gui > 0);
            ProbeState s = QueryState(app);
            CHECK_EQ(s.info.biWidth, (LONG)r.width);
            CHECK_EQ(s.info.biHeight, (LONG)r.height);
            Report(r.what, gui, TimeOrbentool(r.tool));
            Command(app, IDM_EDIT_UNDO);
        }
        HWND d = OpenDialog(app, IDM_VIEW_STIPPLE, kStippleCaption);
        if (d) {
            const int from = LogCount();
            const int64_t t0 = Now();
            Push(d, IDOK);
            const double gui = MillisecondsUntilCommand(from, IDM_VIEW_STIPPLE, t0);
            CHECK(gui > 0);
            CHECK_EQ(QueryDisplay(app).width, 4000);
            Report("stipple 16", gui, TimeOrbentool("stipple -q big.bmp timed_out.bmp --colors 16"));
        }
    }
    DeleteFileA(Join(gPaths.dataDir, "timed_out.bmp").c_str());
    Quit(app);
}

} // namespace

const DialogsScenario kDialogsScenarios[] = {
    {"resize_linked_edits_and_display_scale", ResizeLinkedEditsAndDisplayScale},
    {"resize_internal_image", ResizeInternalImage},
    {"dialogs_without_memory_keep_picture", WithoutMemoryThePictureStays},
    {"stipple_display", StippleDisplay},
    {"dialogs_timings", DialogsTimings},
};
const int kDialogsScenarioCount = sizeof kDialogsScenarios / sizeof kDialogsScenarios[0];

void MakeDialogsPictures() {
    gDlg.edges = Join(gPaths.dataDir, "dialogs_edges.bmp");
    gDlg.edgesHash = WriteBmp24(gDlg.edges, 160, 120, [](int x, int y) {
        const uint32_t r = (x / 20) % 2 ? 0xE0 : 0x20, g = (uint32_t)(y * 2), b = (uint32_t)((x * y) & 255);
        return r << 16 | g << 8 | b;
    });
}
