// Native memory blocks for the Linux build: small ones on the heap, large ones mapped with huge pages.
#include "platform/block.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <sys/mman.h>

namespace {

// First touches of fresh 4 KiB pages are very expensive here; huge pages make big pictures cheap to create.
constexpr size_t kMapThreshold = 1u << 20;
constexpr size_t kHugePage = 2u << 20;

struct NativeBlock {
    unsigned char *data;
    size_t size;
    void *mapBase;   // non-null when mapped
    size_t mapLength;
};

bool ShouldFail(size_t bytes) { return AllocationShouldFail(bytes, FailScope::kEveryBlock); }

bool AllocStorage(NativeBlock *b, size_t bytes) {
    size_t want = bytes ? bytes : 1;
    if (want >= kMapThreshold) {
        size_t length = want + kHugePage;
        if (length < want) return false;
        void *base = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (base == MAP_FAILED) return false;
        uintptr_t aligned = (reinterpret_cast<uintptr_t>(base) + kHugePage - 1) & ~(uintptr_t)(kHugePage - 1);
#ifdef MADV_HUGEPAGE
        madvise(reinterpret_cast<void *>(aligned), want, MADV_HUGEPAGE);
#endif
        b->data = reinterpret_cast<unsigned char *>(aligned);
        b->mapBase = base;
        b->mapLength = length;
    } else {
        b->data = static_cast<unsigned char *>(calloc(1, want));
        if (!b->data) return false;
        b->mapBase = nullptr;
        b->mapLength = 0;
    }
    b->size = bytes;
    return true;
}

void FreeStorage(NativeBlock *b) {
    if (b->mapBase) munmap(b->mapBase, b->mapLength);
    else free(b->data);
    b->data = nullptr;
}

} // namespace

PackedDib BlockAlloc(size_t bytes) {
    if (bytes > (size_t)1 << 40 || ShouldFail(bytes)) return nullptr;
    NativeBlock *b = new (std::nothrow) NativeBlock{};
    if (!b) return nullptr;
    if (!AllocStorage(b, bytes)) {
        delete b;
        return nullptr;
    }
    return b;
}

PackedDib BlockRealloc(PackedDib block, size_t bytes) {
    if (!block) return BlockAlloc(bytes);
    NativeBlock *b = static_cast<NativeBlock *>(block);
    if (bytes > (size_t)1 << 40 || ShouldFail(bytes)) return nullptr;
    if (bytes <= b->size) {
        // Shrinking keeps the storage; clear the tail so a later growth reads zeros.
        memset(b->data + bytes, 0, b->size - bytes);
        b->size = bytes;
        return b;
    }
    NativeBlock fresh{};
    if (!AllocStorage(&fresh, bytes)) return nullptr;
    memcpy(fresh.data, b->data, b->size);
    FreeStorage(b);
    *b = fresh;
    return b;
}

void *BlockLock(PackedDib block) {
    return block ? static_cast<NativeBlock *>(block)->data : nullptr;
}

void BlockUnlock(PackedDib) {}

size_t BlockSize(PackedDib block) {
    return block ? static_cast<NativeBlock *>(block)->size : 0;
}

void BlockFree(PackedDib block) {
    if (!block) return;
    NativeBlock *b = static_cast<NativeBlock *>(block);
    FreeStorage(b);
    delete b;
}
