// The decoder's integer 8 x 8 inverse DCT: shift-and-add butterflies with 16-bit truncations.
#pragma once
#include <cstdint>

// In place: rows first (results >> 5), then columns (results >> 8), each result kept as a signed 16-bit value.
// Uses 16-bit SIMD lanes where the machine has them; the result is the same as JpegIdctPlain's.
void JpegIdct(int16_t block[64]);
// The plain statement of the same transform, one value at a time.
void JpegIdctPlain(int16_t block[64]);
