// The 256-bit build of saturation: the same steps as the 128-bit one, eight pixels at a time (each 128-bit half
// holds four, as the 128-bit build does).
#include "adjust/saturation_lanes.h"

int SaturateRowWide(unsigned char *row, int width, int s) {
    return saturation_lanes::SaturateRowLanes<Lanes256>(row, width, s);
}
