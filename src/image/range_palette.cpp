// Range palette entries, shared by the display palette and the 256-colour stipple.
#include "image/range_palette.h"

void MakeRangePaletteEntries(int maxR, int maxG, int maxB, int minR, int minG, int minB, PaletteEntryRgb out[256]) {
    const int stepR = (maxR - minR) / 5, stepG = (maxG - minG) / 5, stepB = (maxB - minB) / 5;
    for (int i = 0; i < 256; ++i) {
        // Each channel is an 8-bit sum: entries past the cube wrap instead of saturating.
        out[i].red = (unsigned char)((minR + stepR * (i / 36)) & 0xFF);
        out[i].green = (unsigned char)((minG + stepG * ((i / 6) % 6)) & 0xFF);
        out[i].blue = (unsigned char)((minB + stepB * (i % 6)) & 0xFF);
        out[i].flags = kPcNoCollapse;
    }
}
