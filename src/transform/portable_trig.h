// Sine, cosine and arc tangent computed by the core itself, so that every build turns pictures to the same bytes.
#pragma once

// Double precision, within about one unit in the last place for the angles pictures are turned by
// (|x| up to about a million radians); NaN for non-finite input.
double PortableSin(double x);
double PortableCos(double x);
double PortableAtan2(double y, double x);

// Full-precision pi for the geometry (the angle shown to the user uses its own rounder constant).
constexpr double kPi = 3.14159265358979323846;
