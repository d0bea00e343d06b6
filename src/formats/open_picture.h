// The open pipeline's picture-making half: a file name in, a 24-bit internal image out (or none).
#pragma once
#include <string>

#include "image/dib.h"

// What happened while opening, for callers that explain it (orbentool info, the window's status texts).
struct OpenReport {
    // In: the title to put back in status part 1 when the open fails (the window's current title). When null,
    // part 1 shows the path after a failure as well as after a success.
    const char *keepTitle = nullptr;

    bool exists = false;       // the existence test passed
    bool headerRead = false;
    DibHeader header{};        // the info header as stored in the file (before any normalisation)
    bool hasFileHeader = false;
    uint32_t bfSize = 0, bfOffBits = 0;
    bool isJpeg = false;       // chosen by the ".JPG" name rule
    int jpegResult = 0;        // the JPEG decoder's result code
    bool decompressed = false; // the file was in the compressed form
    bool converted = false;    // expanded to 24 bits from another depth or layout
    int fromBits = 0;
    int64_t pixelBytesRead = 0; // pixel (or stream) bytes that came from the file
    int64_t pixelBytesWanted = 0;
    bool messageShown = false; // a message already told the user why
    std::string reason;        // why there is no picture, in plain words
};

// The loader: JPEG by name, else the BMP reader and its pixels. The raw result may still be compressed or have
// fewer than 24 bits; OpenPictureFile finishes it. Shows "ファイルがオープン出来ません" when the file cannot be read.
PackedDib LoadPictureFile(const char *path, OpenReport *report);

// The open pipeline: busy cursor, existence test, load, decompress and convert to 24 bits, then the path in the
// status. Returns the new picture or null; it never touches the caller's current picture, so on failure the
// caller keeps it. report may be null.
PackedDib OpenPictureFile(const char *path, OpenReport *report);

// Finishes a raw loaded picture: decompresses the compressed form and converts any other depth or layout to 24
// bits, with the status texts of the pipeline. Frees `raw`. Returns the 24-bit picture or null.
PackedDib FinishLoadedPicture(PackedDib raw, OpenReport *report);
