// The shortage policy of large working allocations, kept apart from the windows so it can be tested alone.
#include "shell/work_memory.h"

#include <cerrno>
#include <cstdlib>

#include "platform/host.h"

namespace {
int gShortageReports = 0;
} // namespace

int ShortageReportCount() { return gShortageReports; }

PackedDib AllocWithShortagePolicy(size_t bytes, const ShortageSteps &steps) {
    PackedDib block = steps.allocate(bytes);
    if (block) return block;
    // The display image is only a rendering of the internal image, so it goes first and without a word.
    if (steps.releaseDisplayImage && steps.releaseDisplayImage()) {
        block = steps.allocate(bytes);
        if (block) return block;
    }
    // The undo copy is the user's: it never goes without the user being told first.
    if (steps.hasUndoCopy && steps.hasUndoCopy()) {
        ShowMessage("グローバルメモリが足りないので\nUnDoバッファを開放します", nullptr);
        steps.releaseUndoCopy();
    }
    block = steps.allocate(bytes);
    if (block) return block;
    ShowMessage("グローバルメモリが足りません", nullptr);
    ++gShortageReports;
    return nullptr;
}

