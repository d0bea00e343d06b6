// The four passes of the resampler and their shared progress, for resize.cpp.
#pragma once
#include <cstdint>

#include "transform/picture_view.h"

class ResizeProgress {
public:
    explicit ResizeProgress(bool barShown) : bar_(barShown) {}
    // Each pass starts from step 0 again; nothing is shown until its step first changes.
    void StartPass(bool widthPass) {
        widthPass_ = widthPass;
        last_ = 0;
    }
    void Row(int64_t n, int64_t total);

private:
    bool bar_;
    bool widthPass_ = false;
    int last_ = 0;
};

// Height passes: src is W x H, dst W x H2. Width passes: src is W x H2, dst W2 x H2. False when scratch memory
// for the accumulators cannot be had.
bool ReduceHeight(const PictureView24 &src, const PictureView24 &dst, int threshold, ResizeProgress &progress);
bool ReduceWidth(const PictureView24 &src, const PictureView24 &dst, int threshold, ResizeProgress &progress);
void EnlargeHeight(const PictureView24 &src, const PictureView24 &dst, int threshold, ResizeProgress &progress);
void EnlargeWidth(const PictureView24 &src, const PictureView24 &dst, int threshold, ResizeProgress &progress);
