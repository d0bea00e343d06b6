// The view tools' arithmetic, apart from the windows so it can be checked on its own.
#include "view/tool_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr double kPi = 3.141592654; // the program's constant, not the library's
constexpr double kTwoPi = 6.283185308;

int Clamp(int v, int limit) { return v < 1 ? 0 : (v > limit ? limit : v); }

} // namespace

ToolRect NormaliseRect(ToolRect r) {
    if (r.left > r.right) std::swap(r.left, r.right);
    if (r.top > r.bottom) std::swap(r.top, r.bottom);
    return r;
}

ToolRect UnionRects(ToolRect a, ToolRect b) {
    a = NormaliseRect(a);
    b = NormaliseRect(b);
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

ToolPoint ClampToPicture(ToolPoint p, int width, int height) { return {Clamp(p.x, width), Clamp(p.y, height)}; }

ToolRect RubberRect(ToolPoint anchor, ToolPoint p, int width, int height) {
    ToolPoint a = ClampToPicture(anchor, width, height), b = ClampToPicture(p, width, height);
    return NormaliseRect({a.x, a.y, b.x, b.y});
}

int OutsideDirection(int clientCoordinate, int extent) {
    if (clientCoordinate < 0) return -1;
    if (clientCoordinate > extent) return 1;
    return 0;
}

double AxisAngle(ToolPoint axisStart, ToolPoint axisEnd, ToolPoint anchor, ToolPoint p) {
    const double axis = std::atan2((double)(axisEnd.y - axisStart.y), (double)(axisEnd.x - axisStart.x));
    const double mouse = std::atan2((double)(p.y - anchor.y), (double)(p.x - anchor.x));
    double angle = axis - mouse;
    if (angle > kPi) angle -= kTwoPi;
    if (angle < -kPi) angle += kTwoPi;
    return angle;
}

std::string AngleText(double radians) {
    char text[64];
    std::snprintf(text, sizeof text, " %3.3f(Deg)", radians * 180 / kPi);
    return text;
}

std::string PickText(int x, int y, uint32_t colour) {
    char text[80];
    std::snprintf(text, sizeof text, "%d,%d (R %d , G %d , B %d)", x, y, (int)(colour >> 16 & 0xFF),
                  (int)(colour >> 8 & 0xFF), (int)(colour & 0xFF));
    return text;
}

ToolPoint InfoPosition(ToolRect r, int width, int height) {
    r = NormaliseRect(r);
    ToolPoint p{(r.left + r.right) / 2 - width / 2, (r.top + r.bottom) / 2 - height / 2};
    if (r.right - r.left - 10 < width) {
        const int shift = (r.right + width - r.left) / 2 + 10;
        p.x += r.left < r.right ? shift : -shift;
    }
    if (r.bottom - r.top - 10 < height) {
        const int shift = (r.bottom + height - r.top) / 2 + 10;
        p.y += r.top < r.bottom ? shift : -shift;
    }
    return p;
}
