// The 256 entries of the display palette that spans each channel's range in six levels.
#pragma once

struct PaletteEntryRgb {
    unsigned char red, green, blue, flags;
};

constexpr unsigned char kPcNoCollapse = 4;

// Entries 0..215 are a 6x6x6 cube over [min, max]; 216..255 continue the red levels, wrapping modulo 256.
void MakeRangePaletteEntries(int maxR, int maxG, int maxB, int minR, int minG, int minB, PaletteEntryRgb out[256]);
