// Portable sin, cos and atan2: minimax polynomials on a reduced argument, evaluated in plain double arithmetic
// (no contraction), so native and Windows builds agree bit for bit instead of following each maths library.
#include "transform/portable_trig.h"

#include <cmath>

namespace {

// pi/2 split into three parts whose leading parts have 33 bits, so n x part is exact for |n| < 2^20.
constexpr double kPio2Hi = 1.57079632673412561417e+00;
constexpr double kPio2Mid = 6.07710050630396597660e-11;
constexpr double kPio2Lo = 2.02226624871116645580e-21;
constexpr double kTwoOverPi = 6.36619772367581382433e-01;

// sin on [-pi/4, pi/4].
double KernelSin(double x) {
    const double s1 = -1.66666666666666324348e-01, s2 = 8.33333333332248946124e-03,
                 s3 = -1.98412698298579493134e-04, s4 = 2.75573137070700676789e-06,
                 s5 = -2.50507602534068634195e-08, s6 = 1.58969099521155010221e-10;
    const double z = x * x;
    const double r = s2 + z * (s3 + z * (s4 + z * (s5 + z * s6)));
    return x + (z * x) * (s1 + z * r);
}

// cos on [-pi/4, pi/4]; 1 - z/2 is split so its rounding error is added back.
double KernelCos(double x) {
    const double c1 = 4.16666666666666019037e-02, c2 = -1.38888888888741095749e-03,
                 c3 = 2.48015872894767294178e-05, c4 = -2.75573143513906633035e-07,
                 c5 = 2.08757232129817482790e-09, c6 = -1.13596475577881948265e-11;
    const double z = x * x;
    const double r = z * (c1 + z * (c2 + z * (c3 + z * (c4 + z * (c5 + z * c6)))));
    const double hz = 0.5 * z;
    const double w = 1.0 - hz;
    return w + (((1.0 - w) - hz) + z * r);
}

// x = n pi/2 + y with |y| <= pi/4 (slightly more at large n); returns n mod 4.
int Reduce(double x, double *y) {
    const double n = std::nearbyint(x * kTwoOverPi);
    *y = ((x - n * kPio2Hi) - n * kPio2Mid) - n * kPio2Lo;
    const long long q = (long long)n;
    return (int)(q & 3);
}

// atan on [0, inf): the argument is moved next to 0, 1/2, 1, 3/2 or infinity.
double AtanNonNegative(double x) {
    static const double hi[] = {4.63647609000806093515e-01, 7.85398163397448278999e-01,
                                9.82793723247329054082e-01, 1.57079632679489655800e+00};
    static const double lo[] = {2.26987774529616870924e-17, 3.06161699786838301793e-17,
                                1.39033110312309984516e-17, 6.12323399573676603587e-17};
    static const double t[] = {3.33333333333329318027e-01,  -1.99999999998764832476e-01, 1.42857142725034663711e-01,
                               -1.11111104054623557880e-01, 9.09088713343650656196e-02,  -7.69187620504482999495e-02,
                               6.66107313738753120669e-02,  -5.83357013379057348645e-02, 4.97687799461593236017e-02,
                               -3.65315727442169155270e-02, 1.62858201153657823623e-02};
    int id;
    if (x < 0.4375) {
        id = -1;
    } else if (x < 0.6875) {
        id = 0;
        x = (2.0 * x - 1.0) / (2.0 + x);
    } else if (x < 1.1875) {
        id = 1;
        x = (x - 1.0) / (x + 1.0);
    } else if (x < 2.4375) {
        id = 2;
        x = (x - 1.5) / (1.0 + 1.5 * x);
    } else {
        id = 3;
        x = -1.0 / x;
    }
    const double z = x * x, w = z * z;
    const double s1 = z * (t[0] + w * (t[2] + w * (t[4] + w * (t[6] + w * (t[8] + w * t[10])))));
    const double s2 = w * (t[1] + w * (t[3] + w * (t[5] + w * (t[7] + w * t[9]))));
    if (id < 0) return x - x * (s1 + s2);
    return hi[id] - ((x * (s1 + s2) - lo[id]) - x);
}

} // namespace

double PortableSin(double x) {
    if (!std::isfinite(x)) return NAN;
    if (std::fabs(x) <= 0.78539816339744828) return KernelSin(x);
    double y;
    switch (Reduce(x, &y)) {
    case 0: return KernelSin(y);
    case 1: return KernelCos(y);
    case 2: return -KernelSin(y);
    default: return -KernelCos(y);
    }
}

double PortableCos(double x) {
    if (!std::isfinite(x)) return NAN;
    if (std::fabs(x) <= 0.78539816339744828) return KernelCos(x);
    double y;
    switch (Reduce(x, &y)) {
    case 0: return KernelCos(y);
    case 1: return -KernelSin(y);
    case 2: return -KernelCos(y);
    default: return KernelSin(y);
    }
}

double PortableAtan2(double y, double x) {
    if (std::isnan(x) || std::isnan(y)) return NAN;
    const double piLo = 1.2246467991473531772e-16;
    if (x == 0.0 && y == 0.0) return std::signbit(x) ? std::copysign(kPi, y) : std::copysign(0.0, y);
    if (std::isinf(x) || std::isinf(y) || x == 0.0) {
        // Exact directions: only the quadrant matters.
        if (std::isinf(x) && std::isinf(y)) {
            const double a = x > 0 ? kPi / 4 : 3 * kPi / 4;
            return std::copysign(a, y);
        }
        if (std::isinf(y) || x == 0.0) return std::copysign(kPi / 2, y);
        return x > 0 ? std::copysign(0.0, y) : std::copysign(kPi, y);
    }
    const double a = AtanNonNegative(std::fabs(y / x));
    double r;
    if (x > 0) r = a;
    else r = kPi - (a - piLo);
    return std::copysign(r, y);
}
