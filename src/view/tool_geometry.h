// The arithmetic of the view's tools: clamping to the picture, the rubber rectangle, the rotation angle, where
// the floating information goes, and the texts they show.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

struct ToolPoint {
    int x, y;
};
struct ToolRect {
    int left, top, right, bottom;
};

// left <= right and top <= bottom.
ToolRect NormaliseRect(ToolRect r);
// The smallest rectangle holding both (each normalised first).
ToolRect UnionRects(ToolRect a, ToolRect b);
// A view point held inside the picture: below 1 becomes 0, past the size becomes the size.
ToolPoint ClampToPicture(ToolPoint p, int width, int height);
// The rubber rectangle of a drag from anchor to p, normalised and clamped.
ToolRect RubberRect(ToolPoint anchor, ToolPoint p, int width, int height);
// -1, 0 or +1: which way a client coordinate lies outside 0..extent (the auto-scroll direction).
int OutsideDirection(int clientCoordinate, int extent);

// The axis tool's angle in radians: the axis' direction less the mouse's direction seen from the anchor,
// brought into -3.141592654 .. 3.141592654.
double AxisAngle(ToolPoint axisStart, ToolPoint axisEnd, ToolPoint anchor, ToolPoint p);
// " %3.3f(Deg)" with the angle in degrees (the rounded constant the rotation uses).
std::string AngleText(double radians);
// "%d,%d (R %d , G %d , B %d)" for the picked colour (0x00RRGGBB).
std::string PickText(int x, int y, uint32_t colour);

// The floating information window's top-left (view-client coordinates) for a window of width x height next to
// rect: centred in a wide rectangle, beside a narrow one (right and below for a rectangle dragged down-right,
// up and left for a point).
ToolPoint InfoPosition(ToolRect rect, int width, int height);

// The lines of an information text (CR LF separated, at most `capacity` bytes read): a lone CR ends a line too,
// and nothing past the terminator or the capacity is looked at. Calls back with each line's start and length.
template <class Fn> void ForEachInfoLine(const char *text, size_t capacity, Fn fn) {
    size_t start = 0, i = 0;
    while (i < capacity && text[i]) {
        if (text[i] == '\r') {
            fn(start, i - start);
            ++i;
            if (i < capacity && text[i] == '\n') ++i;
            start = i;
        } else {
            ++i;
        }
    }
    if (i > start) fn(start, i - start);
}
