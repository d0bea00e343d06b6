// Unit-test implementation of the host interface.
#include "test_host.h"

#include "platform/host.h"

namespace {
TestHostRecord gRecord;
}

TestHostRecord &TestHost() { return gRecord; }
void ResetTestHost() { gRecord = TestHostRecord(); }

void ShowMessage(const char *text, const char *caption) {
    gRecord.messages.push_back(std::string(caption ? caption : "(default)") + "|" + text);
}
void ShowStatusText(int part, const char *text) { gRecord.statusTexts.push_back(std::to_string(part) + ":" + text); }
bool IsStatusBarShown() { return gRecord.statusBarShown; }
void BeginProgress() { ++gRecord.progressBegun; }
void SetProgress(int percent) { gRecord.progress.push_back(percent); }
void EndProgress() { ++gRecord.progressEnded; }
void RestoreScaleTitle() { ++gRecord.titleRestored; }
void BusyCursor(bool on) { gRecord.busyDepth += on ? 1 : -1; }
PackedDib AllocWorkBlock(size_t bytes) { return BlockAlloc(bytes); }
