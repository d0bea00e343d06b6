// Pictures and the screen: device bitmaps from PackedDibs and back, and the display palette objects.
#pragma once
#include <windows.h>

#include "image/colour_stats.h"

// What a conversion to a device bitmap needs besides the picture.
struct ScreenBitmapRequest {
    ColourStats *stats;          // filled with the picture's extremes and one histogram set
    int histogramSet;            // kHistSetInternal or kHistSetOther
    HPALETTE palette;            // realised into the DC for the conversion; may be null
    bool paletteDevice;          // the screen shows 256 colours through a palette
    bool makeRangePalette;       // build the range palette of the picture's extremes and convert through it
    HBITMAP reuse;               // a bitmap of the same size and format takes the new pixels in place; may be null
};

// A device bitmap in the screen's format from a PackedDib (dc null = the screen), or null. With makeRangePalette,
// *rangePalette gets the new palette (the caller owns it) or null. BitmapFromDib (the document's) wraps this.
HBITMAP ScreenBitmapFromDib(HGLOBAL dib, HDC dc, const ScreenBitmapRequest &request, HPALETTE *rangePalette);

// A new PackedDib from a device bitmap at depth (0 = the bitmap's own; 9 and up give 24 bits), read through
// `palette` (may be null), or null with a message when memory is short. DibFromBitmap (the document's) wraps this.
HGLOBAL DibFromBitmapWithPalette(HBITMAP bitmap, int depth, HPALETTE palette);

// The palette description block used for every palette built (allocated once at start-up); false on failure.
bool AllocatePaletteBuffer();
void FreePaletteBuffer();

// A logical palette spanning [min, max] of each channel in six levels, built in the palette buffer.
HPALETTE MakeRangePalette(int maxR, int maxG, int maxB, int minR, int minG, int minB);
