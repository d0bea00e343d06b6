// The resize dialog's arithmetic: how its four linked edits follow one another, the display divisor from a
// percentage, and which typed sizes may be resized to.
#pragma once
#include <cstdint>

// The four linked edits, in the order width %, width px, height px, height %.
enum ResizeField { kWidthPercentField, kWidthField, kHeightField, kHeightPercentField, kResizeFieldCount };

// The edits that change when one of them is typed; `set[f]` says whether field f gets value[f].
struct ResizeFieldUpdate {
    bool set[kResizeFieldCount] = {};
    int64_t value[kResizeFieldCount] = {};
};

// Field `edited` now holds v for a width x height picture. A value v <= 0 (or a picture without size) changes
// nothing. The other pixel size and percentage follow only with keepAspect. Each result is the exact quotient
// truncated (W x v / 100 rather than W / (100 / v), which can land a hair below a whole number), capped to int.
ResizeFieldUpdate LinkResizeFields(ResizeField edited, int64_t v, int width, int height, bool keepAspect);

// The display percentages the resize dialog accepts, so the scaled extents stay far inside int.
constexpr int kMinDisplayPercent = 1;
constexpr int kMaxDisplayPercent = 6400;
// The view divisor for a typed percentage (> 0), clamped to the range above.
float DisplayDivisorFor(int64_t percent);

// Whether the internal image may be resized to width x height with the given percentages: every value above 0
// and the new picture inside the size guard. Otherwise the dialog stays open.
bool ResizeRequestAccepted(int64_t widthPercent, int64_t heightPercent, int64_t width, int64_t height);

// The threshold typed into the dialog, held to 0..255.
int ClampEdgeThreshold(int64_t typed);
