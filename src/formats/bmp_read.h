// The BMP reader: file header, info header, colour table and pixel bytes into a PackedDib.
#pragma once
#include "formats/byte_source.h"
#include "formats/open_picture.h"
#include "image/dib.h"

// Reads a BMP (or a headerless DIB) from the source's current position into a raw PackedDib:
//  - 1, 2, 4, 8 bits: header, colour table, bottom-up rows (biCompression 0), or the run-length stream
//    (biCompression 1 or 2, biSizeImage = stream bytes);
//  - 16 and 32 bits: biCompression 3 with the three channel masks as the table (biClrUsed 3), bottom-up rows;
//  - 24 bits: normalised (biClrUsed 0, biCompression 0, positive height, rows right after the header), or the
//    compressed stream (biCompression 256 or 893, biSizeImage = stream bytes).
// Heights are always positive in the result. Returns null for anything it refuses (report->reason says why).
PackedDib ReadBmp(ByteSource *src, OpenReport *report);

// The same on a whole file held in memory (the fuzz target's entry point), followed by FinishLoadedPicture.
PackedDib OpenBmpMemory(const void *data, size_t size, OpenReport *report);
