// Pictures and the screen: device bitmaps from PackedDibs and back, and the display palette objects.
#pragma once
#include <windows.h>

// A device bitmap in the screen's format from a PackedDib (dc null = the screen), or null. Refreshes the colour
// statistics; for the internal image also the header copy and, on palette displays, the display palette.
// Exported to add-ins.
extern "C" HBITMAP WINAPI BitmapFromDib(HGLOBAL dib, HDC dc) noexcept;

// BitmapFromDib for a picture that replaces the one `old` shows: a bitmap of the same size and format takes the
// new pixels in place (no fresh memory to fault in), otherwise `old` is deleted and a new one made.
HBITMAP RefreshBitmapFromDib(HGLOBAL dib, HDC dc, HBITMAP old);

// A new PackedDib from a device bitmap at depth (0 = the bitmap's own; 9 and up give 24 bits), or null with a
// message when memory is short.
HGLOBAL DibFromBitmap(HBITMAP bitmap, int depth);

// The palette description block used for every palette built (allocated once at start-up); false on failure.
bool AllocatePaletteBuffer();
void FreePaletteBuffer();

// A logical palette spanning [min, max] of each channel in six levels, built in the palette buffer.
HPALETTE MakeRangePalette(int maxR, int maxG, int maxB, int minR, int minG, int minB);
