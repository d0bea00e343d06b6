// The 256-bit build of the height reduction's steps: the same operations as the 128-bit one, eight bytes at a time.
#include "transform/resize_reduce_lanes.h"

size_t GatherRowWide(int32_t *A, const unsigned char *v, size_t n, const ReduceRowWeights &r) {
    return reduce_lanes::GatherRow<Lanes256>(A, v, n, r);
}

size_t StraddleRowWide(int32_t *A, const unsigned char *v, unsigned char *out, size_t n, const ReduceRowWeights &r) {
    return reduce_lanes::StraddleRow<Lanes256>(A, v, out, n, r);
}
