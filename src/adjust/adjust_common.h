// What the adjustment kernels share: a checked view of a locked 24-bit picture, the channel switches, column
// windows, neighbour-row pointers and the row-based progress rule.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>

#include "image/dib.h"
#include "platform/progress.h"
#include "platform/workers.h"

// The sheet's R, G and B checkboxes. Pixels are stored B, G, R, so byte k of a pixel belongs to ByteOn(k).
struct ChannelSwitches {
    bool red = true, green = true, blue = true;
    bool ByteOn(int byteOfPixel) const { return byteOfPixel == 0 ? blue : byteOfPixel == 1 ? green : red; }
    bool AllOn() const { return red && green && blue; }
};

// Inclusive range of columns a row filter writes; the others are left as they are in the output row.
struct ColumnWindow {
    int first, last;
};
ColumnWindow AllColumns(int width);
// Columns px - radius ... px + radius clipped to the picture; every column when px < 0.
ColumnWindow FingertipColumns(int px, int radius, int width);

// A locked 24-bit picture whose block really holds its rows; anything else is refused (ok() false).
class LockedPicture24 {
public:
    explicit LockedPicture24(PackedDib dib);
    ~LockedPicture24();
    LockedPicture24(const LockedPicture24 &) = delete;
    LockedPicture24 &operator=(const LockedPicture24 &) = delete;

    bool ok() const { return pixels != nullptr; }
    unsigned char *Row(int storageRow) const { return pixels + stride * (size_t)storageRow; }
    // Bytes from the block's start to the first pixel row (header and any table), for copying the header.
    size_t headerBytes = 0;
    void *block = nullptr;
    unsigned char *pixels = nullptr;
    int width = 0, height = 0;
    size_t stride = 0;

private:
    PackedDib dib_;
};

// A new block of the same size as `like` with its header copied, the rest zero; null when memory is short.
PackedDib NewBlockLike(PackedDib like, const LockedPicture24 &view);

// A small scratch area from the host's blocks (null on failure); freed at scope end.
class ScratchBlock {
public:
    explicit ScratchBlock(size_t bytes);
    ~ScratchBlock();
    ScratchBlock(const ScratchBlock &) = delete;
    ScratchBlock &operator=(const ScratchBlock &) = delete;
    unsigned char *get() const { return data_; }

private:
    PackedDib block_;
    unsigned char *data_;
};

// The run progress rule: rows go from storage row 0 up; before row i, once 20*i/H has grown since the last
// update, the position becomes 100*i/H. With the status bar hidden the caption shows captionFormat instead
// (nullptr: nothing is shown then). Nothing at all when `enabled` is false.
class RowProgress {
public:
    RowProgress(bool enabled, const char *captionFormat, int height);
    void BeforeRow(int row);

private:
    std::optional<ProgressScope> scope_;
    int64_t height_;
};

// Calls rowFn(r) for every stored row r of a picture `height` rows high, the rows split over the worker
// threads; progress->BeforeRow (when given) is called for every row in order from the calling thread. rowFn may
// run on any thread and must only touch its own output row and read what no other row writes.
template <class RowFn>
void ForEachPictureRow(int height, RowProgress *progress, RowFn rowFn) {
    std::function<void(int64_t)> before;
    if (progress) before = [progress](int64_t r) { progress->BeforeRow((int)r); };
    ForEachRow(height, [&rowFn](int64_t r) { rowFn((int)r); }, before);
}

// Caption texts of the filter runs.
extern const char kNoiseProgressText[];
extern const char kSaturationProgressText[];
