// The undo copy, UnDo, the locked start-up block and the shortage policy over the document state.
#include "shell/undo_win.h"

#include <cstdlib>
#include <cstring>

#include "image/document_win.h"
#include "platform/host.h"
#include "platform/host_win.h"
#include "shell/shell_win.h"
#include "shell/toolbar_win.h"
#include "shell/work_memory.h"
#include "resource.h"

namespace {

void SetUndoEnabled(bool on) {
    if (gShell.frame) MirrorEnable(GetMenu(gShell.frame), IDM_EDIT_UNDO, on ? MF_ENABLED : MF_GRAYED);
}

bool HasUndoCopy() { return gDoc.undoCopy != nullptr; }

void ReleaseUndoCopy() {
    DropUndo();
    SetUndoEnabled(false);
}

PackedDib TryWorkAllocation(size_t bytes) {
    if (AllocationShouldFail(bytes, FailScope::kWorkAllocations)) return nullptr;
    return BlockAlloc(bytes);
}

PackedDib AllocWorkBlockWithPolicy(size_t bytes) {
    ShortageSteps steps;
    steps.allocate = TryWorkAllocation;
    steps.releaseDisplayImage = ReleaseDisplayImage;
    steps.hasUndoCopy = HasUndoCopy;
    steps.releaseUndoCopy = ReleaseUndoCopy;
    return AllocWithShortagePolicy(bytes, steps);
}

} // namespace

HGLOBAL DuplicateBlock(HGLOBAL block) {
    if (!block) return nullptr;
    const size_t size = BlockSize(block);
    BlockLockGuard from(block);
    if (!from) return nullptr;
    HGLOBAL copy = static_cast<HGLOBAL>(BlockAlloc(size));
    if (!copy) return nullptr;
    BlockLockGuard to(copy);
    if (!to) {
        BlockFree(copy);
        return nullptr;
    }
    memcpy(to.get(), from.get(), size);
    return copy;
}

void StoreUndo() {
    StoreUndoCopy();
    SetUndoEnabled(true);
}

void RestoreUndo() {
    DibHeader h;
    if (DibInfo(gDoc.paste.dib, &h) || !RestoreUndoCopy()) return;
    SetUndoEnabled(false);
    RebuildDisplayImage();
    // After an erase the view had no tool cursor; the picture is back, so is the tool's cursor.
    UpdateToolCursor();
}

void *AllocLockedBlock(HGLOBAL *handle, size_t bytes) {
    *handle = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    void *data = *handle ? GlobalLock(*handle) : nullptr;
    if (!data) {
        if (*handle) GlobalFree(*handle);
        *handle = nullptr;
        ShowMessage("グローバルメモリが足りません", "");
    }
    return data;
}

void InstallWorkMemoryPolicy() {
    gHostWindows.allocWorkBlock = AllocWorkBlockWithPolicy;
    AllocFailPlan plan;
    if (ParseAllocFailPlan(getenv("ORBEN_TEST_FAIL_ALLOC"), &plan)) SetAllocFailPlan(plan, FailScope::kWorkAllocations);
}

void EnsureDisplayImage() {
    DibHeader h;
    if (!gDoc.displayImage && DibInfo(gDoc.internalImage, &h)) RebuildDisplayImage();
}
