// The resize dialog's arithmetic: the linked edits with and without keep-aspect, the display divisor's range and
// the sizes a resize accepts.
#include <gtest/gtest.h>

#include <climits>

#include "transform/resize_fields.h"

namespace {

TEST(ResizeFields, LinkedEditsFollowTheTable) {
    const int64_t kNo = -1; // the field is not written
    const struct {
        ResizeField edited;
        int64_t v;
        bool keep;
        int64_t widthPercent, width, height, heightPercent;
    } cases[] = {
        {kWidthPercentField, 50, true, kNo, 320, 240, 50},   // half of 640 x 480
        {kWidthPercentField, 50, false, kNo, 320, kNo, kNo},
        {kWidthField, 160, true, 25, kNo, 120, 25},
        {kWidthField, 160, false, 25, kNo, kNo, kNo},
        {kHeightField, 360, true, 75, 480, kNo, 75},
        {kHeightField, 360, false, kNo, kNo, kNo, 75},
        {kHeightPercentField, 200, true, 200, 1280, 960, kNo},
        {kHeightPercentField, 30, false, kNo, kNo, 144, kNo}, // 480 x 30 / 100 exactly, not a hair below
        {kWidthField, 1, true, 0, kNo, 0, 0},                 // truncation toward zero
        {kWidthPercentField, 3, true, kNo, 19, 14, 3},        // 19.2 and 14.4
    };
    for (const auto &c : cases) {
        const ResizeFieldUpdate u = LinkResizeFields(c.edited, c.v, 640, 480, c.keep);
        const int64_t want[kResizeFieldCount] = {c.widthPercent, c.width, c.height, c.heightPercent};
        for (int f = 0; f < kResizeFieldCount; ++f) {
            EXPECT_EQ(u.set[f], want[f] != kNo) << "field " << f << " after " << c.edited << " = " << c.v;
            if (want[f] != kNo) EXPECT_EQ(u.value[f], want[f]) << "field " << f << " after " << c.edited << " = " << c.v;
        }
        // The edited field itself is never written back: no echo.
        EXPECT_FALSE(u.set[c.edited]);
    }
    // Zero and negative values, and a picture without size, change nothing; huge values stay inside int.
    for (int64_t v : {0LL, -5LL}) {
        const ResizeFieldUpdate u = LinkResizeFields(kWidthField, v, 640, 480, true);
        for (bool set : u.set) EXPECT_FALSE(set);
    }
    EXPECT_FALSE(LinkResizeFields(kWidthField, 10, 0, 480, true).set[kWidthPercentField]);
    const ResizeFieldUpdate huge = LinkResizeFields(kWidthPercentField, INT64_MAX, 40000, 30000, true);
    EXPECT_EQ(huge.value[kWidthField], INT_MAX);
    EXPECT_EQ(huge.value[kHeightPercentField], INT_MAX);
}

TEST(ResizeFields, DisplayDivisorIsHeldToASaneRange) {
    EXPECT_EQ(DisplayDivisorFor(50), 2.0f);
    EXPECT_EQ(DisplayDivisorFor(100), 1.0f);
    EXPECT_EQ(DisplayDivisorFor(6400), 100.0f / 6400);
    EXPECT_EQ(DisplayDivisorFor(99999999), 100.0f / 6400);
    EXPECT_EQ(DisplayDivisorFor(0), 100.0f);
}

TEST(ResizeFields, ResizeAcceptsOnlyPositiveSizesInsideTheGuard) {
    EXPECT_TRUE(ResizeRequestAccepted(50, 50, 320, 240));
    EXPECT_TRUE(ResizeRequestAccepted(1, 1, 1, 1));
    EXPECT_FALSE(ResizeRequestAccepted(0, 50, 320, 240));
    EXPECT_FALSE(ResizeRequestAccepted(50, -5, 320, 240));
    EXPECT_FALSE(ResizeRequestAccepted(50, 50, 0, 240));
    EXPECT_FALSE(ResizeRequestAccepted(50, 50, 320, -1));
    // 99999999 % of 640 x 480: far past the size guard.
    EXPECT_FALSE(ResizeRequestAccepted(99999999, 99999999, 639999993, 479999995));
    EXPECT_FALSE(ResizeRequestAccepted(50, 50, 30000, 30000)); // 2.7 GB
    EXPECT_TRUE(ResizeRequestAccepted(50, 50, 20000, 20000));  // 1.2 GB
    EXPECT_EQ(ClampEdgeThreshold(-3), 0);
    EXPECT_EQ(ClampEdgeThreshold(92), 92);
    EXPECT_EQ(ClampEdgeThreshold(300), 255);
}

} // namespace
