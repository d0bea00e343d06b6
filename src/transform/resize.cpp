// The resampler's driver: height pass into an intermediate picture, width pass into the result, with progress.
#include <cstdio>

#include "platform/host.h"
#include "transform/resize.h"
#include "transform/resize_passes.h"

void ResizeProgress::Row(int64_t n, int64_t total) {
    const int t = (int)(20 * n / total);
    if (t == last_) return;
    last_ = t;
    if (bar_) {
        SetProgress(5 * t / 2 + (widthPass_ ? 50 : 0));
    } else {
        char text[64];
        snprintf(text, sizeof text, widthPass_ ? "幅変更 %ld%%" : "高さ変更 %ld%%", (long)(5 * t));
        ShowStatusText(0, text);
    }
}

namespace {

// A picture block locked for the duration of a pass, with its checked view.
struct LockedPicture {
    explicit LockedPicture(PackedDib dib) : lock(dib) {
        ok = lock && ViewPicture24(lock.get(), BlockSize(dib), &view);
    }
    BlockLockGuard lock;
    PictureView24 view;
    bool ok = false;
};

} // namespace

PackedDib Resample(PackedDib source, int width, int height, int threshold) {
    if (!source || width < 1 || height < 1) return nullptr;
    LockedPicture src(source);
    if (!src.ok) return nullptr;
    const int32_t W = src.view.width, H = src.view.height;
    if (DibBlockBytes(width, height, 24) < 0) return nullptr;
    ResizeProgress progress(IsStatusBarShown());

    // The intermediate gets its own size fields: a copied biSizeImage would be too small when enlarging.
    PackedDib middle = NewPictureLike(src.view.header, W, height);
    if (!middle) return nullptr;
    {
        LockedPicture mid(middle);
        if (!mid.ok) {
            BlockFree(middle);
            return nullptr;
        }
        progress.StartPass(false);
        if (height < H) {
            if (!ReduceHeight(src.view, mid.view, threshold, progress)) {
                BlockFree(middle);
                return nullptr;
            }
        } else {
            EnlargeHeight(src.view, mid.view, threshold, progress);
        }
    }

    PackedDib result = NewPictureLike(src.view.header, width, height);
    if (!result) {
        BlockFree(middle);
        return nullptr;
    }
    bool done;
    {
        LockedPicture mid(middle), dst(result);
        done = mid.ok && dst.ok;
        if (done) {
            progress.StartPass(true);
            if (width < W) done = ReduceWidth(mid.view, dst.view, threshold, progress);
            else EnlargeWidth(mid.view, dst.view, threshold, progress);
        }
    }
    BlockFree(middle);
    if (!done) {
        BlockFree(result);
        return nullptr;
    }
    return result;
}

PackedDib ResizePicture(PackedDib source, int width, int height, int threshold) {
    const bool bar = IsStatusBarShown();
    if (bar) BeginProgress();
    PackedDib result = Resample(source, width, height, threshold);
    if (bar) EndProgress();
    else RestoreScaleTitle();
    return result;
}
