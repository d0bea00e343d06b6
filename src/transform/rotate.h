// Turning a 24-bit picture: quarter turns, the bounds of a turned picture, and rotation by any angle.
#pragma once
#include <cstdint>

#include "image/dib.h"

enum { kTurnRight = 0, kTurnLeft = 1 };

// A new picture turned by 90 degrees: kTurnRight clockwise, kTurnLeft counter-clockwise. The source is unchanged.
// Null for a picture that is not 24-bit, or when memory runs out.
PackedDib RotateQuarterTurn(PackedDib source, int direction);

// The size of the box around a width x height picture turned by theta (radians), from its three far corners
// truncated toward zero; the origin corner counts only on the minimum side.
void RotatedBounds(double theta, int64_t width, int64_t height, int64_t *boundWidth, int64_t *boundHeight);

// Whole degrees shown while turning by theta: truncated toward zero, with the rounded constant 3.141592654.
int RotationDegrees(double theta);

// A new picture turned by theta (radians; positive turns the content clockwise as shown, y running down),
// bounds + 2 columns wide and bounds high, with black where no source pixel lands. Quality mode averages five
// samples in a plus of radius 0.3 pixel; fast mode takes one. Progress "%d 度回転 (%d%%)" in 20 steps.
// Null for a picture that is not 24-bit, a non-finite or absurd angle, a result past the size guard, or no memory.
PackedDib RotateByAngle(PackedDib source, double theta, bool fast);
