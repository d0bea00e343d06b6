// The open pipeline's picture-making half: a file name in, a 24-bit internal image out (or none).
#pragma once
#include <string>

#include "image/dib.h"

// What happened while opening, for callers that explain it (orbentool info, the window's status texts).
struct OpenReport {
    bool headerRead = false;
    DibHeader header{};        // the info header as stored in the file
    bool isJpeg = false;       // chosen by the ".JPG" name rule
    int jpegResult = 0;        // the JPEG decoder's result code
    bool decompressed = false; // the file was in the compressed form
    bool converted = false;    // expanded from fewer than 24 bits (or decoded from another layout)
    int fromBits = 0;
    bool messageShown = false; // a message already told the user why
    std::string reason;        // why there is no picture, in plain words
};

// The loader: JPEG by name, else the BMP reader and its pixels. Raw result (may be compressed or < 24 bits).
PackedDib LoadPictureFile(const char *path, OpenReport *report);

// Load, then decompress and convert to 24 bits as needed. Returns the new picture or null; never touches the
// caller's current picture. report may be null.
PackedDib OpenPictureFile(const char *path, OpenReport *report);
