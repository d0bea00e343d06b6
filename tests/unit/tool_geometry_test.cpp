// The view tools' arithmetic: rubber rectangles, the axis angle, the information window's place, and its lines.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "view/tool_geometry.h"

namespace {

bool Same(ToolRect a, ToolRect b) { return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom; }

} // namespace

TEST(RubberRect, EitherDirectionAndClampedToThePicture) {
    // Right-to-left gives what left-to-right gives; past the edges the rectangle stops at the picture.
    EXPECT_TRUE(Same(RubberRect({10, 5}, {40, 30}, 100, 80), ToolRect{10, 5, 40, 30}));
    EXPECT_TRUE(Same(RubberRect({40, 30}, {10, 5}, 100, 80), ToolRect{10, 5, 40, 30}));
    EXPECT_TRUE(Same(RubberRect({90, 70}, {150, 200}, 100, 80), ToolRect{90, 70, 100, 80}));
    EXPECT_TRUE(Same(RubberRect({5, 5}, {-20, 0}, 100, 80), ToolRect{0, 0, 5, 5}));
    EXPECT_EQ(OutsideDirection(-1, 300), -1);
    EXPECT_EQ(OutsideDirection(300, 300), 0);
    EXPECT_EQ(OutsideDirection(301, 300), 1);
    EXPECT_TRUE(Same(UnionRects({10, 10, 0, 0}, {5, 20, 30, 25}), ToolRect{0, 0, 30, 25}));
}

TEST(AxisAngle, AlongTheAxisIsZeroAndBehindItIsHalfATurn) {
    const ToolPoint a{10, 50}, b{200, 50};
    EXPECT_EQ(AngleText(AxisAngle(a, b, a, {300, 50})), " 0.000(Deg)");
    EXPECT_EQ(AngleText(std::fabs(AxisAngle(a, b, a, {0, 50}))), " 180.000(Deg)");
    // A mouse below the axis (y runs down) turns it clockwise on the screen: a negative angle.
    EXPECT_EQ(AngleText(AxisAngle(a, b, a, {100, 140})), " -45.000(Deg)");
    // The difference is folded back into one turn.
    const double folded = AxisAngle({0, 0}, {-10, -1}, {0, 0}, {-10, 1});
    EXPECT_GT(folded, -3.141592654);
    EXPECT_LT(folded, 3.141592654);
    EXPECT_EQ(PickText(3, 4, 0x00C08040), "3,4 (R 192 , G 128 , B 64)");
}

TEST(InfoPosition, CentredInWideBesideNarrowUpLeftOfAPoint) {
    // Wide and tall: centred.
    ToolPoint c = InfoPosition({0, 0, 400, 300}, 100, 20);
    EXPECT_EQ(c.x, 150);
    EXPECT_EQ(c.y, 140);
    // Narrow, dragged down-right: to the right and below.
    ToolPoint n = InfoPosition({100, 100, 120, 110}, 100, 20);
    EXPECT_GT(n.x, 120);
    EXPECT_GT(n.y, 110);
    // A point: right edge and bottom edge 10 pixels before it.
    ToolPoint p = InfoPosition({200, 150, 200, 150}, 100, 20);
    EXPECT_EQ(p.x + 100, 190);
    EXPECT_EQ(p.y + 20, 140);
}

TEST(InfoLines, SplitsAtCrLfAndStopsAtALoneCarriageReturn) {
    auto lines = [](const char *text, size_t capacity) {
        std::vector<std::string> out;
        ForEachInfoLine(text, capacity, [&](size_t start, size_t n) { out.emplace_back(text + start, n); });
        return out;
    };
    EXPECT_EQ(lines("ab\r\ncd", 80), (std::vector<std::string>{"ab", "cd"}));
    // A text ending in CR: the terminator is not skipped.
    char tail[4] = {'x', '\r', 0, 'Z'};
    EXPECT_EQ(lines(tail, sizeof tail), (std::vector<std::string>{"x"}));
    // No terminator within the capacity: nothing past it is read.
    char full[3] = {'a', 'b', 'c'};
    EXPECT_EQ(lines(full, sizeof full), (std::vector<std::string>{"abc"}));
}
