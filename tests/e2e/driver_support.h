// The end-to-end driver's tools for working ORBEN.EXE from outside: starting it, finding its windows and dialogs,
// reading the status bar across processes, the probe add-in's answers, pictures written for the tests, and
// screenshots.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "probe_protocol.h"

// ---- checks ----
struct Scenario {
    std::string name;
    std::vector<std::string> failures;
    int screenshots = 0;
    bool skipped = false; // the feature it needs is not in this build
};
extern Scenario *gScenario;
void Fail(const char *file, int line, const std::string &what);
#define CHECK(cond)                                                                                                \
    do {                                                                                                           \
        if (!(cond)) Fail(__FILE__, __LINE__, #cond);                                                               \
    } while (0)
#define CHECK_EQ(a, b)                                                                                             \
    do {                                                                                                           \
        auto va_ = (a);                                                                                             \
        auto vb_ = (b);                                                                                             \
        if (!(va_ == vb_)) Fail(__FILE__, __LINE__, std::string(#a " == " #b ": ") + Show(va_) + " vs " + Show(vb_)); \
    } while (0)
std::string Show(long long v);
std::string Show(const std::string &v);
inline std::string Show(int v) { return Show((long long)v); }
inline std::string Show(unsigned v) { return Show((long long)v); }
inline std::string Show(long v) { return Show((long long)v); }
inline std::string Show(unsigned long long v) { return Show((long long)v); }
inline std::string Show(float v) { return std::to_string(v); }
inline std::string Show(bool v) { return v ? "true" : "false"; }
inline std::string Show(const char *v) { return Show(std::string(v ? v : "(null)")); }

// ---- paths and files ----
struct Paths {
    std::string programDir; // ORBEN.EXE and the probe libraries
    std::string dataDir;    // pictures
    std::string outDir;     // screenshots and timings
    std::string iniPath;    // ORBEN32.INI where the program looks for it
};
extern Paths gPaths;
std::string Join(const std::string &dir, const std::string &name);
void WriteIni(const std::string &text); // replaces the INI file; empty text removes it
std::string IniValue(const char *section, const char *key);

// ---- the program ----
struct App {
    PROCESS_INFORMATION pi{};
    HWND frame = nullptr;
    HWND view = nullptr;
    HWND status = nullptr;
    bool running() const { return pi.hProcess != nullptr; }
};
// The program the current scenario works with: failures take a screenshot of it.
extern App *gCurrentApp;
// Starts ORBEN.EXE with the data folder as current folder; waits for the frame and its children, or for a
// dialog of the program (returned through `dialog`, then the frame may still be in WM_CREATE).
bool Launch(App &app, HWND *dialog = nullptr, DWORD timeoutMs = 15000);
// Top-level items of the frame's menu bar, counted inside the program (menus belong to their process), or -1.
int MenuBarItemCount(const App &app);
// Finds the frame's children again (after a status-bar toggle).
void FindChildren(App &app);
// Closes the frame and waits for the process; kills it after the timeout. Returns the exit code or -1.
int Quit(App &app, DWORD timeoutMs = 10000);

// ---- windows of the program ----
HWND WaitDialog(const App &app, DWORD timeoutMs, HWND except = nullptr);
// The next message box other than `except`: its text (line breaks as \n), answered with OK; "" when none came.
std::string TakeMessageBox(const App &app, DWORD timeoutMs = 10000, HWND except = nullptr);
std::string WindowText(HWND hwnd);
std::string DialogMessage(HWND dialog);   // the static texts of a message box, joined
void PressOk(HWND dialog);
void PressCancel(HWND dialog);
bool WaitGone(HWND hwnd, DWORD timeoutMs);
std::string StatusText(const App &app, int part);
std::vector<int> StatusParts(const App &app);
RECT ClientRectOf(HWND hwnd);
RECT WindowRectOf(HWND hwnd);
RECT ChildRectInParent(HWND child);
bool HasDescendant(HWND root, const char *className);

// ---- driving ----
void Command(const App &app, int id);     // posts WM_COMMAND and waits until the chain has seen it
bool Sync(const App &app, DWORD timeoutMs = 10000); // waits until everything posted so far has been handled
void Click(HWND hwnd, int x, int y);       // button down and up at one client point
// The file-name field of an open or save dialog (explorer style nests it in a ComboBoxEx32; the old style has id 0x480).
HWND FileNameEdit(HWND dialog);
void Press(HWND hwnd, int x, int y, int upX, int upY);
// Runs the open command and answers the dialog with `path`; returns the time of the OK press (QPC) or 0.
int64_t OpenPath(const App &app, const std::string &path);
// Waits until the chain has seen WM_COMMAND 4000 (the open has finished); returns that log entry's time or 0.
int64_t WaitOpenDone(const App &app, DWORD timeoutMs = 30000);

// ---- the probe ----
ProbeBlock *Probe();
const ProbeState &QueryState(const App &app);
int MenuState(const ProbeState &s, int id); // -1 when missing
bool Checked(const ProbeState &s, int id);
bool Grayed(const ProbeState &s, int id);
int LogCount();
// The status and caption texts the probe saw since `from` (an earlier TextCount()), as "part:text" lines.
int TextCount();
std::vector<std::string> TextsSince(int from);
const ProbeLogEntry &LogAt(int i);
double Milliseconds(int64_t ticks);

// ---- pictures ----
// A 24-bit bottom-up BMP with pixel(x, y) (top-down y) giving 0xRRGGBB; returns the FNV-1a hash the probe computes.
uint64_t WriteBmp24(const std::string &path, int w, int h, const std::function<uint32_t(int, int)> &pixel);
// An 8-bit BMP with a 256-entry palette and index(x, y); returns the hash of its 24-bit conversion.
uint64_t WriteBmp8(const std::string &path, int w, int h, const std::function<uint32_t(int)> &palette,
                   const std::function<int(int, int)> &index);
bool FileExists(const std::string &path);

// ---- screenshots ----
void Screenshot(const App &app, const std::string &name);
void ScreenshotWindow(HWND window, const std::string &name);
// The screen's pixels (0xRRGGBB) under a rectangle in screen coordinates, top row first.
std::vector<uint32_t> CaptureScreen(const RECT &rc);
// The whole file, or nothing when it cannot be read.
std::vector<unsigned char> ReadBytes(const std::string &path);
