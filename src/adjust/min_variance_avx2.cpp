// The 256-bit build of the minimum-variance interior: the same steps as the 128-bit one, eight bytes at a time.
#include "adjust/min_variance_lanes.h"

size_t MinVarianceInteriorWide(const unsigned char *const rows[5], unsigned char *out, size_t j0, size_t j1) {
    return min_variance_lanes::InteriorLanes<Lanes256>(rows, out, j0, j1);
}
