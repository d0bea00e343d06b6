// The baseline JPEG decoder.
#pragma once
#include "image/dib.h"

// Result codes.
enum {
    kJpegOk = 0,
    kJpegNoMemory = 101,
    kJpegNoLock = 102,
    kJpegCannotOpen = 103,
    kJpegCannotRead = 104,
    kJpegDamaged = 105,
    kJpegUnsupportedFrame = 106,
    kJpegNotBuilt = -1,
};

// Decodes a file into a bottom-up 24-bit picture, or null; *result gets the code.
PackedDib DecodeJpegFile(const char *path, int *result);
