// A silent host for benchmarks and fuzz targets: no status bar, no messages, plain allocations.
#include "platform/host.h"

void ShowMessage(const char *, const char *) {}
void ShowStatusText(int, const char *) {}
bool IsStatusBarShown() { return true; }
void BeginProgress() {}
void SetProgress(int) {}
void EndProgress() {}
void RestoreScaleTitle() {}
void BusyCursor(bool) {}
PackedDib AllocWorkBlock(size_t bytes) { return BlockAlloc(bytes); }
