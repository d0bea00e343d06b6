// The four passes of the resampler and their shared progress, for resize.cpp.
#pragma once
#include <cstdint>

#include "platform/progress.h"
#include "transform/picture_view.h"

// The two passes' progress: the height pass fills the bar's first half with "高さ変更 %d%%", the width pass the second
// half with "幅変更 %d%%"; each counts its steps from 0 again.
class ResizeProgress {
public:
    explicit ResizeProgress(ProgressScope *scope) : scope_(scope) {} // null: silent
    void StartPass(bool widthPass) {
        if (!scope_) return;
        if (widthPass) scope_->StartPass("幅変更 %d%%", 50, 100);
        else scope_->StartPass("高さ変更 %d%%", 0, 50);
    }
    void Row(int64_t n, int64_t total) {
        if (scope_) scope_->BeforeRow(n, total);
    }

private:
    ProgressScope *scope_;
};

// Height passes: src is W x H, dst W x H2. Width passes: src is W x H2, dst W2 x H2. False when scratch memory
// for the accumulators cannot be had.
bool ReduceHeight(const PictureView24 &src, const PictureView24 &dst, int threshold, ResizeProgress &progress);
bool ReduceWidth(const PictureView24 &src, const PictureView24 &dst, int threshold, ResizeProgress &progress);
void EnlargeHeight(const PictureView24 &src, const PictureView24 &dst, int threshold, ResizeProgress &progress);
void EnlargeWidth(const PictureView24 &src, const PictureView24 &dst, int threshold, ResizeProgress &progress);
