// Row conversions for the display image: one pass, no per-pixel calls.
#include "image/row_convert.h"

#include <cstring>

void ExpandRow24To32(const unsigned char *src, uint32_t *dst, int count) {
    int x = 0;
    // Four pixels are twelve bytes: read them as three words and shuffle, avoiding byte loads per channel.
    for (; x + 4 <= count; x += 4, src += 12, dst += 4) {
        uint32_t a, b, c;
        memcpy(&a, src, 4);
        memcpy(&b, src + 4, 4);
        memcpy(&c, src + 8, 4);
        dst[0] = a & 0xFFFFFF;
        dst[1] = (a >> 24) | ((b & 0xFFFF) << 8);
        dst[2] = (b >> 16) | ((c & 0xFF) << 16);
        dst[3] = c >> 8;
    }
    for (; x < count; ++x, src += 3) *dst++ = (uint32_t)src[0] | (uint32_t)src[1] << 8 | (uint32_t)src[2] << 16;
}
