// The linked edits of the resize dialog, its display divisor and its size checks.
#include "transform/resize_fields.h"

#include <climits>

#include "image/dib.h"

namespace {

// trunc(a x b / c) for a, b, c >= 1 (b below 2^31), capped to int.
int64_t Scaled(int64_t a, int64_t b, int64_t c) {
    const int64_t q = a * b / c;
    return q > INT_MAX ? INT_MAX : q;
}

} // namespace

ResizeFieldUpdate LinkResizeFields(ResizeField edited, int64_t v, int width, int height, bool keepAspect) {
    ResizeFieldUpdate u;
    if (v <= 0 || width < 1 || height < 1) return u;
    if (v > INT_MAX) v = INT_MAX;
    auto put = [&u](ResizeField f, int64_t value) {
        u.set[f] = true;
        u.value[f] = value;
    };
    switch (edited) {
    case kWidthPercentField:
        put(kWidthField, Scaled(width, v, 100));
        if (keepAspect) {
            put(kHeightField, Scaled(height, v, 100));
            put(kHeightPercentField, v);
        }
        break;
    case kWidthField:
        put(kWidthPercentField, Scaled(100, v, width));
        if (keepAspect) {
            put(kHeightField, Scaled(height, v, width));
            put(kHeightPercentField, u.value[kWidthPercentField]);
        }
        break;
    case kHeightField:
        put(kHeightPercentField, Scaled(100, v, height));
        if (keepAspect) {
            put(kWidthField, Scaled(width, v, height));
            put(kWidthPercentField, u.value[kHeightPercentField]);
        }
        break;
    case kHeightPercentField:
        put(kHeightField, Scaled(height, v, 100));
        if (keepAspect) {
            put(kWidthField, Scaled(width, v, 100));
            put(kWidthPercentField, v);
        }
        break;
    default: break;
    }
    return u;
}

float DisplayDivisorFor(int64_t percent) {
    if (percent < kMinDisplayPercent) percent = kMinDisplayPercent;
    if (percent > kMaxDisplayPercent) percent = kMaxDisplayPercent;
    return 100.0f / (float)percent;
}

bool ResizeRequestAccepted(int64_t widthPercent, int64_t heightPercent, int64_t width, int64_t height) {
    if (widthPercent <= 0 || heightPercent <= 0 || width <= 0 || height <= 0) return false;
    if (width > INT_MAX || height > INT_MAX) return false;
    return DibBlockBytes(width, height, 24) >= 0;
}

int ClampEdgeThreshold(int64_t typed) { return typed < 0 ? 0 : typed > 255 ? 255 : (int)typed; }
