// Row conversions between the picture's 24-bit rows and the 32-bit rows of the screen's bitmaps.
#pragma once
#include <cstdint>

// Widens `count` blue, green, red pixels to 0x00RRGGBB words.
void ExpandRow24To32(const unsigned char *src, uint32_t *dst, int count);
