// The baseline JPEG decoder: a file, or bytes in memory, in; a bottom-up 24-bit picture out.
#pragma once
#include <cstddef>
#include <cstdint>

#include "image/dib.h"

// Result codes.
enum {
    kJpegOk = 0,               // decoded, fully or partly
    kJpegNoMemory = 101,       // the file buffer, a table or the picture could not be allocated
    kJpegNoLock = 102,         // memory could not be locked
    kJpegCannotOpen = 103,     // the file could not be opened
    kJpegCannotRead = 104,     // the file's length could not be found, was out of range, or the read failed
    kJpegDamaged = 105,        // damaged or unsupported structure or sampling layout
    kJpegUnsupportedFrame = 106, // a frame type other than baseline (SOF0)
};

// Decodes a file into a bottom-up 24-bit picture, or null; *result gets the code (result may be null).
PackedDib DecodeJpegFile(const char *path, int *result);
// The same for a file image already in memory (tests, fuzzing).
PackedDib DecodeJpegMemory(const uint8_t *bytes, size_t size, int *result);
