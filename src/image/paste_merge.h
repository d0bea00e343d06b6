// Merging a floating paste into the picture: the canvas grows to hold both.
#pragma once
#include <cstdint>

#include "image/dib.h"

struct MergeCanvas {
    int32_t width, height;     // of the new picture
    int32_t pictureX, pictureY; // where the old picture goes (top-down)
    int32_t pasteX, pasteY;     // where the paste goes
};

// The canvas for a picture and a paste whose top-left lies at (x, y) in the picture's top-down coordinates.
// False when the canvas would pass the size guard (a paste pushed absurdly far away).
bool MergeCanvasFor(int32_t pictureWidth, int32_t pictureHeight, int32_t pasteWidth, int32_t pasteHeight, int64_t x,
                    int64_t y, MergeCanvas *out);

// A new 24-bit picture: the canvas, black where neither covers it, the old picture and then the paste on top.
// Null when either is not a 24-bit picture or the canvas cannot be made; both inputs are left as they are.
PackedDib MergePaste(PackedDib picture, PackedDib paste, int64_t x, int64_t y);
