// The view menu's scale options.
#include <gtest/gtest.h>

#include "shell/view_options.h"

TEST(ViewOptions, AutoReduceUnchecksFullSizeAndLeavesTheScaleToThePaint) {
    ViewOptions v;
    v.fullSize = true;
    ClickAutoReduce(&v);
    EXPECT_TRUE(v.autoReduce);
    EXPECT_FALSE(v.fullSize);
    EXPECT_EQ(v.scaleX, 1.0f);
    EXPECT_FALSE(v.scaleChanged);
    ClickAutoReduce(&v);
    EXPECT_FALSE(v.autoReduce);
    EXPECT_FALSE(v.fullSize); // turning auto-reduce off does not bring full size back
}

TEST(ViewOptions, FullSizeTurnsAutoReduceOffAndResetsTheScale) {
    ViewOptions v;
    v.autoReduce = true;
    v.scaleX = v.scaleY = 4.0f;
    ClickFullSize(&v);
    EXPECT_TRUE(v.fullSize);
    EXPECT_FALSE(v.autoReduce);
    EXPECT_EQ(v.scaleX, 1.0f);
    EXPECT_EQ(v.scaleY, 1.0f);
    EXPECT_TRUE(v.scaleChanged);
}

TEST(ViewOptions, TurningFullSizeOffKeepsTheScale) {
    ViewOptions v;
    v.fullSize = true;
    v.scaleX = v.scaleY = 2.5f; // e.g. set by a resize of the display since
    ClickFullSize(&v);
    EXPECT_FALSE(v.fullSize);
    EXPECT_EQ(v.scaleX, 2.5f);
    EXPECT_FALSE(v.scaleChanged);
    ClickFullSize(&v);
    EXPECT_EQ(v.scaleX, 1.0f);
    ClickFullSize(&v);
    ClickFullSize(&v); // already 1.0: nothing for the title to show
    EXPECT_FALSE(v.scaleChanged);
}
