// Saving, compressed saving, erase and UnDo, dropped files and the memory shortage chain, worked through the real
// windows of ORBEN.EXE: dialogs found and answered, files read back byte for byte, pictures checked by the probe.
#include "safety_scenarios.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "driver_support.h"

namespace {

struct SafetyPictures {
    std::string ref, pal8, noise, drop[3], rotate;
    uint64_t refHash = 0, pal8Hash = 0, dropHash[3] = {}, rotateHash = 0;
};
SafetyPictures gSafe;

std::string Ini(const std::string &config = "WindowRect=20,20,640,480\r\n") {
    return "[CONFIG]\r\n" + config + "[Add-in]\r\nDLL1=E2EPROBE1.DLL\r\n";
}

uint32_t Le(const std::vector<unsigned char> &b, size_t at, int n) {
    uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = v << 8 | (at + i < b.size() ? b[at + i] : 0);
    return v;
}

struct BmpFacts {
    bool ok = false;
    uint32_t offBits = 0, compression = 0;
    int width = 0, height = 0, bits = 0;
    std::vector<unsigned char> pixels; // from offBits to the end of the pixel rows (or of the stream)
};
BmpFacts ReadBmp(const std::string &path) {
    BmpFacts f;
    std::vector<unsigned char> b = ReadBytes(path);
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') return f;
    f.offBits = Le(b, 10, 4);
    f.width = (int)Le(b, 18, 4);
    f.height = (int)Le(b, 22, 4);
    f.bits = (int)Le(b, 28, 2);
    f.compression = Le(b, 30, 4);
    size_t size = f.compression == 0 ? (size_t)((f.width * f.bits / 8 + 3) & ~3) * (size_t)f.height : Le(b, 34, 4);
    if (f.offBits > b.size() || b.size() - f.offBits < size) return f;
    f.pixels.assign(b.begin() + f.offBits, b.begin() + f.offBits + size);
    f.ok = true;
    return f;
}

// ---- working the program ----

bool OpenPicture(App &app, const std::string &path) {
    if (!OpenPath(app, path)) return false;
    if (!WaitOpenDone(app)) {
        Fail(__FILE__, __LINE__, "the open of " + path + " did not finish");
        return false;
    }
    return Sync(app);
}

// Runs save command `id` and answers its dialog with `path`. Returns the dialog's title, or "" when none came.
std::string SaveTo(App &app, int id, const std::string &path) {
    PostMessageA(app.frame, WM_COMMAND, id, 0);
    HWND dialog = WaitDialog(app, 10000);
    if (!dialog) {
        Fail(__FILE__, __LINE__, "no save dialog for command " + std::to_string(id));
        return "";
    }
    std::string title = WindowText(dialog);
    HWND edit = FileNameEdit(dialog);
    if (!edit) {
        Fail(__FILE__, __LINE__, "no file-name field in the save dialog (" + DialogMessage(dialog) + ")");
        PressCancel(dialog);
        return title;
    }
    SendMessageA(edit, WM_SETTEXT, 0, (LPARAM)path.c_str());
    PressOk(dialog);
    if (!WaitGone(dialog, 10000)) Fail(__FILE__, __LINE__, "the save dialog did not take " + path);
    return title;
}

// The next message box of the program: its text (line breaks as \n), answered with OK. "" when none came.
std::string TakeMessage(App &app, DWORD timeoutMs = 10000) { return TakeMessageBox(app, timeoutMs); }

// No message box or dialog shows up within a short while.
bool NoDialog(App &app, DWORD ms = 600) {
    Sync(app);
    HWND d = WaitDialog(app, ms);
    if (d) {
        Fail(__FILE__, __LINE__, "unexpected dialog \"" + WindowText(d) + "\": " + DialogMessage(d));
        PressOk(d);
        WaitGone(d, 3000);
    }
    return d == nullptr;
}

// Puts a DROPFILES block into the program's memory and posts WM_DROPFILES to the view, as the shell would.
bool DropFiles(App &app, const std::vector<std::string> &paths) {
    std::vector<unsigned char> block(sizeof(DROPFILES), 0);
    DROPFILES *df = reinterpret_cast<DROPFILES *>(block.data());
    df->pFiles = sizeof(DROPFILES);
    df->fWide = FALSE;
    for (const std::string &p : paths) block.insert(block.end(), p.c_str(), p.c_str() + p.size() + 1);
    block.push_back(0);
    // Page-aligned memory is taken as a plain pointer by GlobalLock inside the program.
    void *remote = VirtualAllocEx(app.pi.hProcess, nullptr, block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remote || !WriteProcessMemory(app.pi.hProcess, remote, block.data(), block.size(), nullptr)) {
        Fail(__FILE__, __LINE__, "cannot place the dropped names in the program");
        return false;
    }
    PostMessageA(app.view, WM_DROPFILES, (WPARAM)remote, 0);
    return true;
}

void Answer(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dialog, id));
    WaitGone(dialog, 5000);
}

POINT ViewCorner(const App &app) {
    POINT p{0, 0};
    ClientToScreen(app.view, &p);
    return p;
}

void RemoveFile(const std::string &path) { DeleteFileA(path.c_str()); }

// ---- scenarios ----

// Both save sources: titles, and the written bytes equal the picture's.
void SaveInternalAndDisplay() {
    WriteIni(Ini());
    App app;
    if (!Launch(app)) return;
    const std::string internal = Join(gPaths.dataDir, "saved_internal.bmp");
    const std::string display = Join(gPaths.dataDir, "saved_display.bmp");
    RemoveFile(internal);
    RemoveFile(display);
    if (OpenPicture(app, gSafe.ref)) {
        CHECK_EQ(SaveTo(app, IDM_FILE_SAVE, internal), std::string("保存(内部イメージ)"));
        Sync(app);
        BmpFacts source = ReadBmp(gSafe.ref), saved = ReadBmp(internal);
        CHECK(saved.ok);
        CHECK_EQ(saved.bits, 24);
        CHECK_EQ(saved.offBits, 54u);
        CHECK_EQ(saved.width, source.width);
        CHECK_EQ(saved.height, source.height);
        CHECK(saved.pixels == source.pixels);
        CHECK(StatusText(app, 1).find(internal) != std::string::npos);

        Command(app, IDM_FILE_SAVE_DISPLAY);
        CHECK(Checked(QueryState(app), IDM_FILE_SAVE_DISPLAY));
        CHECK(!Checked(QueryState(app), IDM_FILE_SAVE_INTERNAL));
        CHECK_EQ(SaveTo(app, IDM_FILE_SAVE, display), std::string("保存(表示イメージ)"));
        Sync(app);
        BmpFacts shown = ReadBmp(display);
        CHECK(shown.ok);
        CHECK_EQ(shown.bits, 24);
        CHECK(shown.pixels == source.pixels);
    }
    Quit(app);
}

// A compressed save of the display image is refused before any dialog.
void CompressedDisplayRefused() {
    WriteIni(Ini());
    App app;
    if (!Launch(app)) return;
    if (OpenPicture(app, gSafe.ref)) {
        Command(app, IDM_FILE_SAVE_DISPLAY);
        PostMessageA(app.frame, WM_COMMAND, IDM_FILE_SAVE_COMPRESSED, 0);
        HWND box = WaitDialog(app, 10000);
        CHECK(box != nullptr);
        if (box) {
            CHECK(FileNameEdit(box) == nullptr);
            CHECK_EQ(DialogMessage(box), std::string("表示イメージは圧縮保存出来ません"));
            PressOk(box);
            WaitGone(box, 5000);
        }
        NoDialog(app);
    }
    Quit(app);
}

// The compressed save reopens bit for bit and is smaller; a picture it cannot shrink is refused without a file.
void CompressedRoundTripAndRefusal() {
    WriteIni(Ini());
    App app;
    if (!Launch(app)) return;
    const std::string packed = Join(gPaths.dataDir, "saved_packed.bmp");
    const std::string noGain = Join(gPaths.dataDir, "saved_nogain.bmp");
    RemoveFile(packed);
    RemoveFile(noGain);
    if (OpenPicture(app, gSafe.ref)) {
        CHECK_EQ(SaveTo(app, IDM_FILE_SAVE_COMPRESSED, packed), std::string("圧縮保存(内部イメージ)"));
        NoDialog(app);
        BmpFacts facts = ReadBmp(packed);
        CHECK(facts.ok);
        CHECK_EQ(facts.compression, 256u);
        CHECK(ReadBytes(packed).size() < ReadBytes(gSafe.ref).size());
        if (OpenPicture(app, packed)) CHECK_EQ(QueryState(app).pixelHash, gSafe.refHash);
    }
    if (OpenPicture(app, gSafe.noise)) {
        SaveTo(app, IDM_FILE_SAVE_COMPRESSED, noGain);
        CHECK_EQ(TakeMessage(app), std::string("圧縮効果が無いので、圧縮保存をとりやめます。"));
        NoDialog(app);
        CHECK(!FileExists(noGain));
    }
    Quit(app);
}

// The second save proposes the first one's path; Path is written without a trailing backslash, "C:" at a root.
void SavePathsRemembered() {
    WriteIni(Ini());
    App app;
    if (!Launch(app)) return;
    const std::string first = Join(gPaths.dataDir, "saved_first.bmp");
    RemoveFile(first);
    if (OpenPicture(app, gSafe.ref)) {
        SaveTo(app, IDM_FILE_SAVE, first);
        Sync(app);
        CHECK(FileExists(first));
        PostMessageA(app.frame, WM_COMMAND, IDM_FILE_SAVE, 0);
        HWND dialog = WaitDialog(app, 10000);
        CHECK(dialog != nullptr);
        if (dialog) {
            HWND edit = FileNameEdit(dialog);
            CHECK(edit != nullptr);
            // OK without typing: the proposed name is taken, and it names the file just saved (the dialog
            // shows the name in a field it does not expose as text).
            PressOk(dialog);
            HWND prompt = WaitDialog(app, 5000, dialog);
            CHECK(prompt != nullptr);
            if (prompt) {
                CHECK(DialogMessage(prompt).find("上書きしますか") != std::string::npos);
                Answer(prompt, IDNO);
            }
            PressCancel(dialog);
            WaitGone(dialog, 5000);
        }
        NoDialog(app);
    }
    Quit(app);
    CHECK_EQ(IniValue("CONFIG", "Path"), gPaths.dataDir);

    const std::string atRoot = "C:\\orben_e2e_root.bmp";
    RemoveFile(atRoot);
    if (!Launch(app)) return;
    if (OpenPicture(app, gSafe.ref)) {
        SaveTo(app, IDM_FILE_SAVE, atRoot);
        Sync(app);
        CHECK(FileExists(atRoot));
    }
    Quit(app);
    CHECK_EQ(IniValue("CONFIG", "Path"), std::string("C:"));
    RemoveFile(atRoot);
}

// A 256-colour picture is saved as 24 bits with the same colours.
void PaletteSavedAsFullColour() {
    WriteIni(Ini());
    App app;
    if (!Launch(app)) return;
    const std::string out = Join(gPaths.dataDir, "saved_from_pal8.bmp");
    RemoveFile(out);
    if (OpenPicture(app, gSafe.pal8)) {
        SaveTo(app, IDM_FILE_SAVE, out);
        Sync(app);
        BmpFacts facts = ReadBmp(out);
        CHECK(facts.ok);
        CHECK_EQ(facts.bits, 24);
        CHECK_EQ(facts.offBits, 54u);
        if (OpenPicture(app, out)) CHECK_EQ(QueryState(app).pixelHash, gSafe.pal8Hash);
    }
    Quit(app);
}

// A folder nobody may write in: the message, no file, and the program goes on.
void SaveToUnwritableFolder() {
    WriteIni(Ini());
    App app;
    if (!Launch(app)) return;
    const std::string target = "Z:\\proc\\orben_e2e.bmp";
    if (OpenPicture(app, gSafe.ref)) {
        SaveTo(app, IDM_FILE_SAVE, target);
        CHECK_EQ(TakeMessage(app), std::string("ファイルが書けません"));
        NoDialog(app);
        CHECK(!FileExists(target));
        CHECK_EQ(QueryState(app).pixelHash, gSafe.refHash);
    }
    Quit(app);
}

// Erase, then UnDo restores the picture under the title "(無題)"; a second UnDo changes nothing.
void EraseThenUndo() {
    WriteIni(Ini());
    App app;
    if (!Launch(app)) return;
    if (OpenPicture(app, gSafe.ref)) {
        const std::string toolCursor = QueryState(app).viewCursor;
        CHECK(toolCursor != "ARROW");
        Command(app, IDM_EDIT_ERASE);
        ProbeState s = QueryState(app);
        CHECK_EQ(std::string(s.viewCursor), std::string("ARROW"));
        CHECK_EQ(s.hasInternalImage, 0);
        CHECK_EQ(s.displayWidth, 0);
        CHECK(!Grayed(s, IDM_EDIT_UNDO));
        CHECK_EQ(StatusText(app, 1), std::string("(無題)"));

        Command(app, IDM_EDIT_UNDO);
        s = QueryState(app);
        CHECK_EQ(s.hasInternalImage, 1);
        CHECK_EQ(s.pixelHash, gSafe.refHash);
        CHECK(s.displayWidth > 0);
        CHECK(Grayed(s, IDM_EDIT_UNDO));
        CHECK_EQ(std::string(s.viewCursor), toolCursor);
        UpdateWindow(app.view);
        Sync(app);
        CHECK_EQ(StatusText(app, 1).rfind("(無題)", 0), 0u);

        Command(app, IDM_EDIT_UNDO);
        s = QueryState(app);
        CHECK_EQ(s.hasInternalImage, 1);
        CHECK_EQ(s.pixelHash, gSafe.refHash);
        NoDialog(app);
    }
    Quit(app);
}

// UnDo with nothing stored does nothing; erasing an empty window keeps the earlier undo copy.
void UndoWithNothingStored() {
    WriteIni(Ini());
    App app;
    if (!Launch(app)) return;
    Command(app, IDM_EDIT_UNDO);
    ProbeState s = QueryState(app);
    CHECK_EQ(s.hasInternalImage, 0);
    NoDialog(app);
    if (OpenPicture(app, gSafe.ref)) {
        Command(app, IDM_EDIT_ERASE);
        Command(app, IDM_EDIT_ERASE);
        Command(app, IDM_EDIT_UNDO);
        s = QueryState(app);
        CHECK_EQ(s.hasInternalImage, 1);
        CHECK_EQ(s.pixelHash, gSafe.refHash);
    }
    Quit(app);
}

// Rotate, rotate again, UnDo: the first rotation's picture; a second UnDo does nothing (a restore, not a swap).
void UndoRestoresNotSwaps() {
    WriteIni(Ini());
    App app;
    if (!Launch(app)) return;
    if (OpenPicture(app, gSafe.rotate)) {
        Command(app, IDM_ROTATE_RIGHT);
        uint64_t once = QueryState(app).pixelHash;
        CHECK(once != gSafe.rotateHash);
        Command(app, IDM_ROTATE_RIGHT);
        CHECK(QueryState(app).pixelHash != once);
        Command(app, IDM_EDIT_UNDO);
        CHECK_EQ(QueryState(app).pixelHash, once);
        Command(app, IDM_EDIT_UNDO);
        ProbeState s = QueryState(app);
        CHECK_EQ(s.pixelHash, once);
        CHECK(Grayed(s, IDM_EDIT_UNDO));
    }
    Quit(app);
}

// Three files answered No: the second and third open without another question, the third stays.
void DropThreeAnswerNo() {
    WriteIni(Ini());
    App app;
    if (!Launch(app)) return;
    if (DropFiles(app, {gSafe.drop[0], gSafe.drop[1], gSafe.drop[2]})) {
        HWND ask = WaitDialog(app, 10000);
        CHECK(ask != nullptr);
        if (ask) {
            CHECK_EQ(WindowText(ask), std::string("一枚毎に確認しますか?"));
            CHECK_EQ(QueryState(app).pixelHash, gSafe.dropHash[0]);
            // Dialog 108 first opens at the view's top-left corner.
            RECT r = WindowRectOf(ask);
            POINT corner = ViewCorner(app);
            CHECK_EQ(r.left, corner.x);
            CHECK_EQ(r.top, corner.y);
            Answer(ask, IDNO);
        }
        NoDialog(app, 1000);
        CHECK_EQ(QueryState(app).pixelHash, gSafe.dropHash[2]);
        CHECK_EQ(StatusText(app, 1).rfind(gSafe.drop[2], 0), 0u);
    }
    Quit(app);
}

// Yes asks again after the next picture at the place the user moved the dialog to; Cancel stops there.
void DropYesThenCancel() {
    WriteIni(Ini());
    App app;
    if (!Launch(app)) return;
    if (DropFiles(app, {gSafe.drop[0], gSafe.drop[1], gSafe.drop[2]})) {
        HWND ask = WaitDialog(app, 10000);
        CHECK(ask != nullptr);
        if (ask) {
            POINT corner = ViewCorner(app);
            RECT r = WindowRectOf(ask);
            SetWindowPos(ask, nullptr, r.left + 40, r.top + 25, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
            Sleep(100);
            Answer(ask, IDYES);
            HWND again = WaitDialog(app, 10000);
            CHECK(again != nullptr);
            if (again) {
                CHECK_EQ(QueryState(app).pixelHash, gSafe.dropHash[1]);
                RECT r2 = WindowRectOf(again);
                CHECK_EQ(r2.left - corner.x, r.left + 40 - corner.x);
                CHECK_EQ(r2.top - corner.y, r.top + 25 - corner.y);
                Answer(again, IDCANCEL);
            }
        }
        NoDialog(app, 1000);
        ProbeState s = QueryState(app);
        CHECK_EQ(s.pixelHash, gSafe.dropHash[1]);
    }
    Quit(app);
}

// A dropped file that cannot be opened keeps the picture shown; the next open dialog proposes nothing stale.
void DropFailingFileKeepsPicture() {
    WriteIni(Ini());
    App app;
    if (!Launch(app)) return;
    const std::string missing = Join(gPaths.dataDir, "no_such_picture.bmp");
    if (DropFiles(app, {gSafe.drop[0], missing})) {
        HWND ask = WaitDialog(app, 10000);
        CHECK(ask != nullptr);
        if (ask) Answer(ask, IDYES);
        CHECK_EQ(TakeMessage(app), std::string("オープン出来ません"));
        NoDialog(app, 1000);
        CHECK_EQ(QueryState(app).pixelHash, gSafe.dropHash[0]);
    }
    Quit(app);
}

// Launches with the shortage switch, opens the rotation picture and turns it once (that allocation is let through).
bool LaunchShort(App &app, const char *plan, uint64_t *afterFirst) {
    SetEnvironmentVariableA("ORBEN_TEST_FAIL_ALLOC", plan);
    bool launched = Launch(app);
    SetEnvironmentVariableA("ORBEN_TEST_FAIL_ALLOC", nullptr);
    if (!launched || !OpenPicture(app, gSafe.rotate)) return false;
    Command(app, IDM_ROTATE_RIGHT);
    NoDialog(app);
    ProbeState s = QueryState(app);
    CHECK(!Grayed(s, IDM_EDIT_UNDO));
    *afterFirst = s.pixelHash;
    return true;
}

const std::string kUndoReleased = "グローバルメモリが足りないので\nUnDoバッファを開放します";
const std::string kNoMemory = "グローバルメモリが足りません";

// The chain: display image first (silently), then the undo copy after one message, then the final message.
void MemoryShortageChain() {
    WriteIni(Ini());
    uint64_t once = 0;
    {
        // One failure: only the display image goes; the turn succeeds without a word and keeps UnDo.
        App app;
        if (LaunchShort(app, "50000,1,1", &once)) {
            PostMessageA(app.frame, WM_COMMAND, IDM_ROTATE_RIGHT, 0);
            NoDialog(app);
            ProbeState s = QueryState(app);
            CHECK(s.pixelHash != once);
            CHECK(!Grayed(s, IDM_EDIT_UNDO));
            CHECK_EQ(s.displayWidth, 200);
        }
        Quit(app);
    }
    {
        // Two failures: the undo copy goes after exactly one message, UnDo is grayed, and the turn succeeds.
        App app;
        if (LaunchShort(app, "50000,2,1", &once)) {
            PostMessageA(app.frame, WM_COMMAND, IDM_ROTATE_RIGHT, 0);
            CHECK_EQ(TakeMessage(app), kUndoReleased);
            NoDialog(app);
            ProbeState s = QueryState(app);
            CHECK(s.pixelHash != once);
            CHECK(Grayed(s, IDM_EDIT_UNDO));
            CHECK_EQ(s.displayWidth, 200);
            Command(app, IDM_EDIT_UNDO);
            CHECK_EQ(QueryState(app).pixelHash, s.pixelHash);
        }
        Quit(app);
    }
    {
        // Three failures: both messages once each; the picture stays and is shown again.
        App app;
        if (LaunchShort(app, "50000,3,1", &once)) {
            PostMessageA(app.frame, WM_COMMAND, IDM_ROTATE_RIGHT, 0);
            CHECK_EQ(TakeMessage(app), kUndoReleased);
            CHECK_EQ(TakeMessage(app), kNoMemory);
            NoDialog(app);
            ProbeState s = QueryState(app);
            CHECK_EQ(s.pixelHash, once);
            CHECK(Grayed(s, IDM_EDIT_UNDO));
            CHECK_EQ(s.displayWidth, 100);
            CHECK_EQ(s.displayHeight, 200);
        }
        Quit(app);
    }
}

// A compressed save whose output block cannot be had is reported, and the title does not claim the file.
void CompressedSaveWithoutMemory() {
    WriteIni(Ini());
    const std::string out = Join(gPaths.dataDir, "saved_nomemory.bmp");
    RemoveFile(out);
    App app;
    SetEnvironmentVariableA("ORBEN_TEST_FAIL_ALLOC", "50000,3");
    bool launched = Launch(app);
    SetEnvironmentVariableA("ORBEN_TEST_FAIL_ALLOC", nullptr);
    if (launched && OpenPicture(app, gSafe.rotate)) {
        SaveTo(app, IDM_FILE_SAVE_COMPRESSED, out);
        CHECK_EQ(TakeMessage(app), kNoMemory);
        NoDialog(app);
        CHECK(!FileExists(out));
        CHECK(StatusText(app, 1).find("saved_nomemory") == std::string::npos);
        ProbeState s = QueryState(app);
        CHECK_EQ(s.pixelHash, gSafe.rotateHash);
        CHECK(s.displayWidth > 0);
    }
    Quit(app);
}

} // namespace

const SafetyScenario kSafetyScenarios[] = {
    {"save_internal_and_display", SaveInternalAndDisplay},
    {"compressed_display_refused", CompressedDisplayRefused},
    {"compressed_round_trip_and_refusal", CompressedRoundTripAndRefusal},
    {"save_paths_remembered", SavePathsRemembered},
    {"palette_saved_as_full_colour", PaletteSavedAsFullColour},
    {"save_to_unwritable_folder", SaveToUnwritableFolder},
    {"erase_then_undo", EraseThenUndo},
    {"undo_with_nothing_stored", UndoWithNothingStored},
    {"undo_restores_not_swaps", UndoRestoresNotSwaps},
    {"drop_three_answer_no", DropThreeAnswerNo},
    {"drop_yes_then_cancel", DropYesThenCancel},
    {"drop_failing_file_keeps_picture", DropFailingFileKeepsPicture},
    {"memory_shortage_chain", MemoryShortageChain},
    {"compressed_save_without_memory", CompressedSaveWithoutMemory},
};
const int kSafetyScenarioCount = sizeof kSafetyScenarios / sizeof kSafetyScenarios[0];

void MakeSafetyPictures() {
    const std::string &d = gPaths.dataDir;
    gSafe.ref = Join(d, "safe_ref.bmp");
    gSafe.refHash = WriteBmp24(gSafe.ref, 64, 48, [](int x, int y) { return (uint32_t)(x * 4 << 16 | y * 5 << 8 | 0x60); });
    gSafe.pal8 = Join(d, "safe_pal8.bmp");
    gSafe.pal8Hash = WriteBmp8(
        gSafe.pal8, 33, 21, [](int i) { return (uint32_t)((i * 53 % 256) << 16 | (255 - i) << 8 | (i * 7 % 256)); },
        [](int x, int y) { return (x * 5 + y * 17) % 256; });
    gSafe.noise = Join(d, "safe_noise.bmp");
    uint32_t state = 99;
    WriteBmp24(gSafe.noise, 48, 48, [&](int, int) {
        state = state * 1103515245u + 12345u;
        return (state >> 8) & 0xFFFFFF;
    });
    for (int i = 0; i < 3; ++i) {
        gSafe.drop[i] = Join(d, "safe_drop" + std::to_string(i + 1) + ".bmp");
        gSafe.dropHash[i] = WriteBmp24(gSafe.drop[i], 30 + 10 * i, 20 + 5 * i,
                                       [i](int x, int y) { return (uint32_t)((i * 80) << 16 | x * 7 << 8 | y * 9); });
    }
    // 200 x 100: a quarter turn's block is 60040 bytes, over the shortage switch's 50000.
    gSafe.rotate = Join(d, "safe_rotate.bmp");
    gSafe.rotateHash =
        WriteBmp24(gSafe.rotate, 200, 100, [](int x, int y) { return (uint32_t)(x << 16 | (y * 2) << 8 | (x ^ y)); });
}
