// The end-to-end driver's tools; see driver_support.h.
#include "driver_support.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>

Scenario *gScenario = nullptr;
Paths gPaths;
App *gCurrentApp = nullptr;

std::string Show(long long v) { return std::to_string(v); }
std::string Show(const std::string &v) { return "\"" + v + "\""; }

void Fail(const char *file, int line, const std::string &what) {
    const char *base = strrchr(file, '/');
    base = base ? base + 1 : file;
    char where[64];
    std::snprintf(where, sizeof where, "%s:%d: ", base, line);
    std::string message = std::string(where) + what;
    std::printf("  FAIL %s\n", message.c_str());
    std::fflush(stdout);
    if (!gScenario) return;
    gScenario->failures.push_back(message);
    // What the screen showed at the first few failures, for a person to look at.
    if (gCurrentApp && gCurrentApp->frame && gScenario->screenshots < 3)
        Screenshot(*gCurrentApp, "fail-" + gScenario->name + "-" + std::to_string(++gScenario->screenshots));
}

std::string Join(const std::string &dir, const std::string &name) {
    if (dir.empty() || dir.back() == '\\') return dir + name;
    return dir + "\\" + name;
}

bool FileExists(const std::string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void WriteIni(const std::string &text) {
    DeleteFileA(gPaths.iniPath.c_str());
    if (!text.empty()) {
        FILE *f = std::fopen(gPaths.iniPath.c_str(), "wb");
        if (f) {
            std::fwrite(text.data(), 1, text.size(), f);
            std::fclose(f);
        }
    }
    // The profile functions cache the file; make them read it again.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, gPaths.iniPath.c_str());
}

std::string IniValue(const char *section, const char *key) {
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, gPaths.iniPath.c_str());
    char value[1024];
    GetPrivateProfileStringA(section, key, "<missing>", value, sizeof value, gPaths.iniPath.c_str());
    return value;
}

// ---- finding windows ----

namespace {

struct Finder {
    DWORD pid;
    const char *className;
    HWND except;
    HWND found;
};

BOOL CALLBACK FindTopLevel(HWND hwnd, LPARAM lp) {
    Finder *f = reinterpret_cast<Finder *>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != f->pid || hwnd == f->except) return TRUE;
    char cls[64];
    GetClassNameA(hwnd, cls, sizeof cls);
    if (strcmp(cls, f->className) != 0) return TRUE;
    if (strcmp(f->className, "#32770") == 0 && !IsWindowVisible(hwnd)) return TRUE;
    f->found = hwnd;
    return FALSE;
}

HWND TopLevel(const App &app, const char *className, HWND except = nullptr) {
    Finder f{app.pi.dwProcessId, className, except, nullptr};
    EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&f));
    return f.found;
}

bool Exited(const App &app) { return WaitForSingleObject(app.pi.hProcess, 0) == WAIT_OBJECT_0; }

} // namespace

void FindChildren(App &app) {
    app.view = FindWindowExA(app.frame, nullptr, "Zelka32DispClass", nullptr);
    app.status = FindWindowExA(app.frame, nullptr, "msctls_statusbar32", nullptr);
}

bool Launch(App &app, HWND *dialog, DWORD timeoutMs) {
    if (dialog) *dialog = nullptr;
    memset(Probe(), 0, sizeof(ProbeBlock));
    gCurrentApp = &app;
    std::string exe = Join(gPaths.programDir, "ORBEN.EXE");
    std::string commandLine = "\"" + exe + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    // The current folder is the data folder, never the program's: add-ins must be found without it.
    if (!CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, gPaths.dataDir.c_str(), &si,
                        &app.pi)) {
        Fail(__FILE__, __LINE__, "cannot start " + exe);
        app.pi = PROCESS_INFORMATION{};
        return false;
    }
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        if (Exited(app)) {
            DWORD code = 0;
            GetExitCodeProcess(app.pi.hProcess, &code);
            Fail(__FILE__, __LINE__, "the program ended during start-up with exit code " + std::to_string(code));
            return false;
        }
        app.frame = TopLevel(app, "Zelka32Class");
        if (dialog) {
            if (HWND d = TopLevel(app, "#32770")) {
                *dialog = d;
                return true;
            }
        }
        if (app.frame && IsWindowVisible(app.frame)) {
            FindChildren(app);
            if (app.view && (app.status || !dialog)) {
                Sync(app, 5000);
                return true;
            }
        }
        Sleep(10);
    }
    Fail(__FILE__, __LINE__, "no frame within the time limit");
    return false;
}

int Quit(App &app, DWORD timeoutMs) {
    if (!app.running()) return -1;
    if (app.frame) PostMessageA(app.frame, WM_CLOSE, 0, 0);
    DWORD code = (DWORD)-1;
    if (WaitForSingleObject(app.pi.hProcess, timeoutMs) != WAIT_OBJECT_0) {
        Fail(__FILE__, __LINE__, "the program did not end after WM_CLOSE");
        TerminateProcess(app.pi.hProcess, 99);
        WaitForSingleObject(app.pi.hProcess, 5000);
    } else {
        GetExitCodeProcess(app.pi.hProcess, &code);
    }
    CloseHandle(app.pi.hProcess);
    CloseHandle(app.pi.hThread);
    app = App{};
    if (gCurrentApp == &app) gCurrentApp = nullptr;
    return (int)code;
}

HWND WaitDialog(const App &app, DWORD timeoutMs, HWND except) {
    DWORD start = GetTickCount();
    do {
        if (HWND d = TopLevel(app, "#32770", except)) return d;
        Sleep(5);
    } while (GetTickCount() - start < timeoutMs);
    return nullptr;
}

std::string WindowText(HWND hwnd) {
    char text[1024] = "";
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

namespace {
BOOL CALLBACK CollectStatic(HWND hwnd, LPARAM lp) {
    char cls[32];
    GetClassNameA(hwnd, cls, sizeof cls);
    if (_stricmp(cls, "Static") == 0) {
        std::string text = WindowText(hwnd);
        if (!text.empty()) {
            std::string *all = reinterpret_cast<std::string *>(lp);
            if (!all->empty()) *all += "\n";
            *all += text;
        }
    }
    return TRUE;
}
} // namespace

std::string DialogMessage(HWND dialog) {
    std::string all;
    EnumChildWindows(dialog, CollectStatic, reinterpret_cast<LPARAM>(&all));
    return all;
}

void PressOk(HWND dialog) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(dialog, IDOK));
}

void PressCancel(HWND dialog) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), (LPARAM)GetDlgItem(dialog, IDCANCEL));
}

bool WaitGone(HWND hwnd, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (IsWindow(hwnd) && IsWindowVisible(hwnd)) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(5);
    }
    return true;
}

// Status bar texts live in the program's memory: SB_GETTEXT writes through its pointer there, so the buffer has to
// be in that process too. A whole page, because the text may grow between a length query and the read.
std::string StatusText(const App &app, int part) {
    if (!app.status) return "<no status bar>";
    const SIZE_T size = 4096;
    void *remote = VirtualAllocEx(app.pi.hProcess, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remote) return "<no memory>";
    DWORD_PTR result = 0;
    SendMessageTimeoutA(app.status, SB_GETTEXTA, (WPARAM)part, (LPARAM)remote, SMTO_BLOCK, 5000, &result);
    char text[4096] = "";
    SIZE_T got = 0;
    ReadProcessMemory(app.pi.hProcess, remote, text, size - 1, &got);
    text[size - 1] = '\0';
    VirtualFreeEx(app.pi.hProcess, remote, 0, MEM_RELEASE);
    return text;
}

std::vector<int> StatusParts(const App &app) {
    std::vector<int> parts;
    if (!app.status) return parts;
    void *remote = VirtualAllocEx(app.pi.hProcess, nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remote) return parts;
    DWORD_PTR count = 0;
    SendMessageTimeoutA(app.status, SB_GETPARTS, 16, (LPARAM)remote, SMTO_BLOCK, 5000, &count);
    int edges[16] = {};
    SIZE_T got = 0;
    ReadProcessMemory(app.pi.hProcess, remote, edges, sizeof edges, &got);
    VirtualFreeEx(app.pi.hProcess, remote, 0, MEM_RELEASE);
    for (DWORD_PTR i = 0; i < count && i < 16; ++i) parts.push_back(edges[i]);
    return parts;
}

RECT ClientRectOf(HWND hwnd) {
    RECT rc{};
    GetClientRect(hwnd, &rc);
    return rc;
}

RECT WindowRectOf(HWND hwnd) {
    RECT rc{};
    GetWindowRect(hwnd, &rc);
    return rc;
}

RECT ChildRectInParent(HWND child) {
    RECT rc = WindowRectOf(child);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT *>(&rc), 2);
    return rc;
}

namespace {
struct ClassSearch {
    const char *cls;
    bool found;
};
BOOL CALLBACK FindClass(HWND hwnd, LPARAM lp) {
    ClassSearch *s = reinterpret_cast<ClassSearch *>(lp);
    char cls[64];
    GetClassNameA(hwnd, cls, sizeof cls);
    if (_stricmp(cls, s->cls) == 0) {
        s->found = true;
        return FALSE;
    }
    return TRUE;
}
} // namespace

bool HasDescendant(HWND root, const char *className) {
    ClassSearch s{className, false};
    EnumChildWindows(root, FindClass, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

// ---- the probe ----

ProbeBlock *Probe() {
    static ProbeBlock *block = nullptr;
    if (!block) {
        HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(ProbeBlock),
                                            PROBE_MAPPING_NAME);
        if (mapping) block = static_cast<ProbeBlock *>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
        if (!block) {
            std::printf("cannot create the probe block\n");
            ExitProcess(2);
        }
    }
    return block;
}

int LogCount() { return Probe()->logCount; }
int TextCount() { return Probe()->textCount; }
std::vector<std::string> TextsSince(int from) {
    std::vector<std::string> texts;
    const ProbeBlock *b = Probe();
    for (int i = from < b->textCount - kProbeTextSize ? b->textCount - kProbeTextSize : from; i < b->textCount; ++i) {
        const ProbeText &t = b->texts[i % kProbeTextSize];
        texts.push_back((t.part < 0 ? std::string("caption") : std::to_string(t.part)) + ":" + t.text);
    }
    return texts;
}
const ProbeLogEntry &LogAt(int i) { return Probe()->log[i % kProbeLogSize]; }

const ProbeState &QueryState(const App &app) {
    ProbeBlock *block = Probe();
    memset(&block->state, 0, sizeof block->state);
    COPYDATASTRUCT data{kQueryState, 0, nullptr};
    DWORD_PTR result = 0;
    SendMessageTimeoutA(app.frame, WM_COPYDATA, 0, (LPARAM)&data, SMTO_BLOCK, 10000, &result);
    if (block->state.answeredBy == 0) Fail(__FILE__, __LINE__, "no probe answered the state query");
    return block->state;
}

int MenuState(const ProbeState &s, int id) {
    for (int i = 0; i < kProbeMenuCount; ++i)
        if (kProbeMenuIds[i] == id) return s.menuState[i];
    return -1;
}
bool Checked(const ProbeState &s, int id) { return MenuState(s, id) != -1 && (MenuState(s, id) & MF_CHECKED); }
bool Grayed(const ProbeState &s, int id) { return MenuState(s, id) != -1 && (MenuState(s, id) & MF_GRAYED); }

double Milliseconds(int64_t ticks) {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return 1000.0 * (double)ticks / (double)f.QuadPart;
}

// ---- driving ----

bool Sync(const App &app, DWORD timeoutMs) {
    // A command nobody handles travels through the frame's queue behind everything posted before it, then down
    // the add-in chain: once a probe logged it, all of that has been handled.
    if (Probe()->loadedProbes == 0) { // nobody to tell us: give the program a moment instead
        Sleep(300);
        return true;
    }
    static int sequence = 0;
    const int id = kSyncBase + (sequence++ % kSyncSpan);
    const int from = LogCount();
    PostMessageA(app.frame, WM_COMMAND, id, 0);
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        for (int i = from; i < LogCount(); ++i)
            if (LogAt(i).message == WM_COMMAND && (int)LogAt(i).id == id) return true;
        if (Exited(app)) return false;
        Sleep(2);
    }
    return false;
}

void Command(const App &app, int id) {
    PostMessageA(app.frame, WM_COMMAND, id, 0);
    if (!Sync(app)) Fail(__FILE__, __LINE__, "the program did not come back after command " + std::to_string(id));
}

void Press(HWND hwnd, int x, int y, int upX, int upY) {
    PostMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageA(hwnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(upX, upY));
    PostMessageA(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(upX, upY));
}

void Click(HWND hwnd, int x, int y) { Press(hwnd, x, y, x, y); }

int MenuBarItemCount(const App &app) {
    HMENU bar = GetMenu(app.frame);
    if (!bar) return -1;
    // GetMenuItemCount takes one pointer-sized argument, so it can be a remote thread's start routine as it is;
    // user32 sits at the same address in both processes.
    FARPROC count = GetProcAddress(GetModuleHandleA("user32.dll"), "GetMenuItemCount");
    if (!count) return -1;
    HANDLE thread = CreateRemoteThread(app.pi.hProcess, nullptr, 0, reinterpret_cast<LPTHREAD_START_ROUTINE>(
                                           reinterpret_cast<void *>(count)), bar, 0, nullptr);
    if (!thread) return -1;
    DWORD code = (DWORD)-1;
    if (WaitForSingleObject(thread, 5000) == WAIT_OBJECT_0) GetExitCodeThread(thread, &code);
    CloseHandle(thread);
    return (int)code;
}

// The file-name field: the explorer-style dialog nests it as ComboBoxEx32 > ComboBox > Edit (id 0x47c); the old
// style has a plain Edit with id 0x480.
HWND FileNameEdit(HWND dialog) {
    HWND combo = GetDlgItem(dialog, 0x47c);
    if (combo) {
        char cls[32];
        GetClassNameA(combo, cls, sizeof cls);
        if (_stricmp(cls, "Edit") == 0) return combo;
        HWND inner = FindWindowExA(combo, nullptr, "ComboBox", nullptr);
        HWND edit = FindWindowExA(inner ? inner : combo, nullptr, "Edit", nullptr);
        if (edit) return edit;
    }
    return GetDlgItem(dialog, 0x480);
}

namespace {
int gOpenFrom = 0; // log entries before this belong to earlier opens
}

int64_t OpenPath(const App &app, const std::string &path) {
    gOpenFrom = LogCount();
    PostMessageA(app.frame, WM_COMMAND, IDM_FILE_OPEN, 0);
    HWND dialog = WaitDialog(app, 10000);
    if (!dialog) {
        Fail(__FILE__, __LINE__, "no open dialog");
        return 0;
    }
    HWND edit = FileNameEdit(dialog);
    if (!edit) {
        Fail(__FILE__, __LINE__, "no file-name field in the open dialog");
        PressCancel(dialog);
        return 0;
    }
    SendMessageA(edit, WM_SETTEXT, 0, (LPARAM)path.c_str());
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    PressOk(dialog);
    // Messages of the open itself come after the dialog has gone; a dialog that stays refused the name.
    if (!WaitGone(dialog, 10000)) {
        Fail(__FILE__, __LINE__, "the open dialog did not take " + path);
        return 0;
    }
    return now.QuadPart;
}

int64_t WaitOpenDone(const App &app, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    do {
        if (gOpenFrom > LogCount()) gOpenFrom = 0; // a new start cleared the log
        for (int i = gOpenFrom; i < LogCount(); ++i) {
            if (LogAt(i).message == WM_COMMAND && LogAt(i).id == IDM_FILE_OPEN) {
                gOpenFrom = i + 1;
                return LogAt(i).qpc;
            }
        }
        if (Exited(app)) break;
        Sleep(2);
    } while (GetTickCount() - start < timeoutMs);
    return 0;
}

// ---- pictures ----

namespace {
void PutLE(std::vector<unsigned char> &b, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b.push_back((unsigned char)(v >> (8 * i)));
}
std::vector<unsigned char> BmpHeaders(int w, int h, int bits, int tableEntries, uint32_t imageBytes) {
    std::vector<unsigned char> b;
    const uint32_t offset = 14 + 40 + 4 * tableEntries;
    b.push_back('B');
    b.push_back('M');
    PutLE(b, offset + imageBytes, 4);
    PutLE(b, 0, 4);
    PutLE(b, offset, 4);
    PutLE(b, 40, 4);
    PutLE(b, (uint32_t)w, 4);
    PutLE(b, (uint32_t)h, 4);
    PutLE(b, 1, 2);
    PutLE(b, (uint32_t)bits, 2);
    PutLE(b, 0, 4);
    PutLE(b, imageBytes, 4);
    PutLE(b, 2835, 4);
    PutLE(b, 2835, 4);
    PutLE(b, (uint32_t)tableEntries, 4);
    PutLE(b, 0, 4);
    return b;
}
bool WriteAll(const std::string &path, const std::vector<unsigned char> &head, const std::vector<unsigned char> &body) {
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(head.data(), 1, head.size(), f) == head.size() &&
              std::fwrite(body.data(), 1, body.size(), f) == body.size();
    return std::fclose(f) == 0 && ok;
}
void HashBytes(uint64_t &hash, const unsigned char *p, size_t n) {
    for (size_t i = 0; i < n; ++i) hash = (hash ^ p[i]) * 1099511628211ull;
}
} // namespace

uint64_t WriteBmp24(const std::string &path, int w, int h, const std::function<uint32_t(int, int)> &pixel) {
    const size_t stride = ((size_t)w * 3 + 3) & ~(size_t)3;
    std::vector<unsigned char> body(stride * h);
    uint64_t hash = 1469598103934665603ull;
    for (int row = 0; row < h; ++row) {
        unsigned char *p = &body[stride * row];
        const int y = h - 1 - row;
        for (int x = 0; x < w; ++x) {
            uint32_t c = pixel(x, y);
            p[3 * x] = (unsigned char)c;
            p[3 * x + 1] = (unsigned char)(c >> 8);
            p[3 * x + 2] = (unsigned char)(c >> 16);
        }
        HashBytes(hash, p, (size_t)w * 3);
    }
    if (!WriteAll(path, BmpHeaders(w, h, 24, 0, (uint32_t)body.size()), body))
        Fail(__FILE__, __LINE__, "cannot write " + path);
    return hash;
}

uint64_t WriteBmp8(const std::string &path, int w, int h, const std::function<uint32_t(int)> &palette,
                   const std::function<int(int, int)> &index) {
    const size_t stride = ((size_t)w + 3) & ~(size_t)3;
    std::vector<unsigned char> head = BmpHeaders(w, h, 8, 256, (uint32_t)(stride * h));
    for (int i = 0; i < 256; ++i) PutLE(head, palette(i) & 0xFFFFFF, 4);
    std::vector<unsigned char> body(stride * h);
    uint64_t hash = 1469598103934665603ull;
    for (int row = 0; row < h; ++row) {
        const int y = h - 1 - row;
        std::vector<unsigned char> full((size_t)w * 3);
        for (int x = 0; x < w; ++x) {
            int i = index(x, y);
            body[stride * row + x] = (unsigned char)i;
            uint32_t c = palette(i);
            full[3 * x] = (unsigned char)c;
            full[3 * x + 1] = (unsigned char)(c >> 8);
            full[3 * x + 2] = (unsigned char)(c >> 16);
        }
        HashBytes(hash, full.data(), full.size());
    }
    if (!WriteAll(path, head, body)) Fail(__FILE__, __LINE__, "cannot write " + path);
    return hash;
}

std::string TakeMessageBox(const App &app, DWORD timeoutMs, HWND except) {
    HWND box = WaitDialog(app, timeoutMs, except);
    if (!box) return "";
    std::string text;
    for (char c : DialogMessage(box))
        if (c != '\r') text += c;
    PressOk(box);
    WaitGone(box, 5000);
    return text;
}

// The whole file, or nothing when it cannot be read.
std::vector<unsigned char> ReadBytes(const std::string &path) {
    std::vector<unsigned char> bytes;
    FILE *f = std::fopen(path.c_str(), "rb");
    if (!f) return bytes;
    unsigned char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(f);
    return bytes;
}

// ---- screenshots ----

// The screen's pixels (0xRRGGBB) under a rectangle in screen coordinates, top row first.
std::vector<uint32_t> CaptureScreen(const RECT &rc) {
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    std::vector<uint32_t> pixels;
    if (w <= 0 || h <= 0) return pixels;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void *bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, rc.left, rc.top, SRCCOPY);
    GdiFlush();
    const uint32_t *p = static_cast<const uint32_t *>(bits);
    pixels.reserve((size_t)w * h);
    for (size_t i = 0; i < (size_t)w * h; ++i) pixels.push_back(p[i] & 0xFFFFFFu);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

void ScreenshotWindow(HWND window, const std::string &name) {
    RECT rc = WindowRectOf(window);
    const int w = rc.right - rc.left, h = rc.bottom - rc.top;
    std::vector<uint32_t> pixels = CaptureScreen(rc);
    if (pixels.empty()) return;
    const size_t stride = ((size_t)w * 3 + 3) & ~(size_t)3;
    std::vector<unsigned char> head = BmpHeaders(w, h, 24, 0, (uint32_t)(stride * h));
    std::vector<unsigned char> body(stride * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint32_t c = pixels[(size_t)(h - 1 - y) * w + x];
            unsigned char *d = &body[(size_t)y * stride + (size_t)x * 3];
            d[0] = (unsigned char)c;
            d[1] = (unsigned char)(c >> 8);
            d[2] = (unsigned char)(c >> 16);
        }
    WriteAll(Join(gPaths.outDir, name + ".bmp"), head, body);
}

void Screenshot(const App &app, const std::string &name) {
    if (app.frame) ScreenshotWindow(app.frame, name);
}
