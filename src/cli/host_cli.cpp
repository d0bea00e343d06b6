// orbentool's host: messages on stderr and a progress bar on a terminal.
#include <cstdio>

#include "cli/cli.h"
#include "platform/host.h"

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

namespace {
bool gBarActive = false;

bool BarWanted() { return !gCliQuiet && isatty(fileno(stderr)); }
} // namespace

void ShowMessage(const char *text, const char *caption) {
    if (caption && *caption) fprintf(stderr, "orbentool: [%s] %s\n", caption, text);
    else fprintf(stderr, "orbentool: %s\n", text);
}

// A terminal has no status bar: status texts are dropped, progress goes to the bar.
void ShowStatusText(int, const char *) {}
bool IsStatusBarShown() { return true; }

void BeginProgress() {
    gBarActive = BarWanted();
    if (gBarActive) SetProgress(0);
}

void SetProgress(int percent) {
    if (!gBarActive) return;
    if (percent < 0) percent = 0;
    if (percent > 100) percent = 100;
    char bar[41];
    int filled = percent * 40 / 100;
    for (int i = 0; i < 40; ++i) bar[i] = i < filled ? '#' : '.';
    bar[40] = 0;
    fprintf(stderr, "\r[%s] %3d%%", bar, percent);
    fflush(stderr);
}

void EndProgress() {
    if (gBarActive) fprintf(stderr, "\r%60s\r", "");
    gBarActive = false;
}

void RestoreScaleTitle() {}
void BusyCursor(bool) {}

PackedDib AllocWorkBlock(size_t bytes) { return BlockAlloc(bytes); }
