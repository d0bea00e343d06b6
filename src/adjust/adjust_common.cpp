// Shared plumbing of the adjustment kernels: picture checks, scratch blocks and the progress rule.
#include "adjust/adjust_common.h"

#include <cstring>

#include "platform/host.h"

const char kNoiseProgressText[] = "ﾉｲｽﾞ補正 %d%%";
const char kSaturationProgressText[] = "彩度補正 %d%%";

ColumnWindow AllColumns(int width) { return ColumnWindow{0, width - 1}; }

ColumnWindow FingertipColumns(int px, int radius, int width) {
    if (px < 0) return AllColumns(width);
    int64_t first = (int64_t)px - radius, last = (int64_t)px + radius;
    if (first < 0) first = 0;
    if (last > width - 1) last = width - 1;
    return ColumnWindow{(int)first, (int)last}; // first > last when the point lies beyond the picture
}

LockedPicture24::LockedPicture24(PackedDib dib) : dib_(dib) {
    if (!dib) return;
    block = BlockLock(dib);
    if (!block) return;
    const size_t size = BlockSize(dib);
    if (size < kDibHeaderSize) return;
    DibHeader h;
    memcpy(&h, block, sizeof h);
    if (h.biBitCount != 24 || h.biWidth < 1 || h.biHeight < 1 || h.biSize < kDibHeaderSize) return;
    const int64_t rowBytes = DibRowStride(h.biWidth, 24);
    const int64_t offset = (int64_t)h.biSize + 4 * (int64_t)DibColourCount(&h);
    if (offset > (int64_t)size || rowBytes > ((int64_t)size - offset) / h.biHeight) return;
    headerBytes = (size_t)offset;
    width = h.biWidth;
    height = h.biHeight;
    stride = (size_t)rowBytes;
    pixels = static_cast<unsigned char *>(block) + offset;
}

LockedPicture24::~LockedPicture24() {
    if (block) BlockUnlock(dib_);
}

PackedDib NewBlockLike(PackedDib like, const LockedPicture24 &view) {
    PackedDib out = AllocWorkBlock(BlockSize(like));
    if (!out) return nullptr;
    BlockLockGuard lock(out);
    if (!lock) {
        BlockFree(out);
        return nullptr;
    }
    memcpy(lock.get(), view.block, view.headerBytes);
    return out;
}

ScratchBlock::ScratchBlock(size_t bytes) : block_(AllocWorkBlock(bytes ? bytes : 1)), data_(nullptr) {
    if (block_) data_ = static_cast<unsigned char *>(BlockLock(block_));
}

ScratchBlock::~ScratchBlock() {
    if (data_) BlockUnlock(block_);
    BlockFree(block_);
}

RowProgress::RowProgress(bool enabled, const char *captionFormat, int height) : height_(height) {
    if (!enabled || height < 1) return;
    if (captionFormat || IsStatusBarShown()) scope_.emplace(captionFormat ? captionFormat : "");
}

void RowProgress::BeforeRow(int row) {
    if (scope_) scope_->BeforeRow(row, height_);
}
