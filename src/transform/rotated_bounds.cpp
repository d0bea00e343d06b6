// The box around a turned picture, and the whole degrees shown for an angle.
#include <algorithm>
#include <cmath>

#include "transform/portable_trig.h"
#include "transform/rotate.h"

void RotatedBounds(double theta, int64_t width, int64_t height, int64_t *boundWidth, int64_t *boundHeight) {
    const double w = (double)width, h = (double)height;
    // Corner (0, h), corner (w, 0), and the far corner (w, h) at distance d (in double: w*w overflows int).
    const double a1 = theta + kPi / 2;
    const int64_t x1 = (int64_t)(h * PortableCos(a1)), y1 = (int64_t)(h * PortableSin(a1));
    const int64_t x2 = (int64_t)(w * PortableCos(theta)), y2 = (int64_t)(w * PortableSin(theta));
    const double d = std::sqrt(w * w + h * h);
    const double a3 = theta + PortableAtan2(h, w);
    const int64_t x3 = (int64_t)(d * PortableCos(a3)), y3 = (int64_t)(d * PortableSin(a3));
    const int64_t minX = std::min(std::min(std::min(x1, x2), x3), (int64_t)0);
    const int64_t minY = std::min(std::min(std::min(y1, y2), y3), (int64_t)0);
    *boundWidth = std::max(std::max(x1, x2), x3) - minX;
    *boundHeight = std::max(std::max(y1, y2), y3) - minY;
}

int RotationDegrees(double theta) {
    // The rounded constant is a little above pi, so exactly 30 degrees shows as 29.
    const double degrees = theta / 3.141592654 * 180;
    // Out of int's range (or not a number) the count means nothing; the callers refuse such angles anyway.
    if (!(std::fabs(degrees) < 2147483647.0)) return 0;
    return (int)degrees;
}
