// The resampler's driver: height pass into an intermediate picture, width pass into the result, with progress.
#include <cstdio>

#include "platform/host.h"
#include "transform/resize.h"
#include "transform/resize_passes.h"

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

PackedDib ResampleWith(PackedDib source, int width, int height, int threshold, ProgressScope *scope) {
    if (!source || width < 1 || height < 1) return nullptr;
    LockedPicture src(source);
    if (!src.ok) return nullptr;
    const int32_t W = src.view.width, H = src.view.height;
    if (DibBlockBytes(width, height, 24) < 0) return nullptr;
    ResizeProgress progress(scope);

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

} // namespace

PackedDib Resample(PackedDib source, int width, int height, int threshold) {
    return ResampleWith(source, width, height, threshold, nullptr);
}

PackedDib ResizePicture(PackedDib source, int width, int height, int threshold) {
    ProgressScope progress(nullptr, {ProgressRule::kStepOfFive});
    return ResampleWith(source, width, height, threshold, &progress);
}
