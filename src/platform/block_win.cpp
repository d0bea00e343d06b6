// Win32 memory blocks: a PackedDib is a movable, zero-filled HGLOBAL, so the clipboard and add-ins can take it as is.
#include "platform/block.h"

#include <windows.h>

namespace {
bool ShouldFail(size_t bytes) { return AllocationShouldFail(bytes, FailScope::kEveryBlock); }
} // namespace

PackedDib BlockAlloc(size_t bytes) {
    if (ShouldFail(bytes)) return nullptr;
    return GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes ? bytes : 1);
}

PackedDib BlockRealloc(PackedDib block, size_t bytes) {
    if (!block) return BlockAlloc(bytes);
    if (ShouldFail(bytes)) return nullptr;
    size_t old = GlobalSize(block);
    HGLOBAL h = GlobalReAlloc(block, bytes ? bytes : 1, GMEM_MOVEABLE | GMEM_ZEROINIT);
    if (h && bytes > old) {
        // GMEM_ZEROINIT on a reallocation is not honoured everywhere; clear the growth ourselves.
        unsigned char *p = static_cast<unsigned char *>(GlobalLock(h));
        if (p) {
            ZeroMemory(p + old, bytes - old);
            GlobalUnlock(h);
        }
    }
    return h;
}

void *BlockLock(PackedDib block) { return block ? GlobalLock(block) : nullptr; }
void BlockUnlock(PackedDib block) { if (block) GlobalUnlock(block); }
size_t BlockSize(PackedDib block) { return block ? GlobalSize(block) : 0; }
void BlockFree(PackedDib block) { if (block) GlobalFree(block); }
