// The 256-bit build of the enlargement's smoothing: the same steps as the 128-bit one, thirty-two bytes at a time
// (the 16-bit halves are taken and packed within each 128-bit half, as the 128-bit build does).
#include "transform/resize_lanes.h"

size_t SmoothBytesWide(const unsigned char *row, ptrdiff_t stride, size_t k0, size_t k1, int threshold, bool rows,
                       unsigned char *out) {
    return resize_lanes::SmoothBytes<Lanes256>(row, stride, k0, k1, threshold, rows, out);
}
