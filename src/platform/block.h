// Movable, zero-filled memory blocks: the storage of every PackedDib. On Windows a handle is an HGLOBAL.
#pragma once
#include <cstddef>

// A PackedDib is the handle of one block holding a 40-byte header, a colour table and the pixel rows.
typedef void *PackedDib;

// All return null (or false) on failure and never throw.
PackedDib BlockAlloc(size_t bytes);                    // zero-filled
PackedDib BlockRealloc(PackedDib block, size_t bytes); // growth is zero-filled; null keeps the old block valid
void *BlockLock(PackedDib block);
void BlockUnlock(PackedDib block);
size_t BlockSize(PackedDib block);
void BlockFree(PackedDib block);

// The allocation-failure test switch (BlockFailLargeAllocations and the window program's ORBEN_TEST_FAIL_ALLOC).
#include "platform/alloc_fail.h"

// Locks a block for one scope.
class BlockLockGuard {
public:
    explicit BlockLockGuard(PackedDib block) : block_(block), data_(block ? BlockLock(block) : nullptr) {}
    ~BlockLockGuard() { if (data_) BlockUnlock(block_); }
    BlockLockGuard(const BlockLockGuard &) = delete;
    BlockLockGuard &operator=(const BlockLockGuard &) = delete;
    unsigned char *get() const { return static_cast<unsigned char *>(data_); }
    explicit operator bool() const { return data_ != nullptr; }
private:
    PackedDib block_;
    void *data_;
};
