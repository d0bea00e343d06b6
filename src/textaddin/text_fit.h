// The text add-in's arithmetic, kept apart from GDI: the font-height fitting loops and the part of the measured
// text that may be stamped into the picture.
#pragma once

struct TextExtent {
    int cx = 0, cy = 0;
};

// Measures the text with a font of `height` (a LOGFONT height: negative = character height, positive = cell
// height). False when no such font can be made.
typedef bool (*MeasureTextFn)(void *context, int height, TextExtent *extent);

enum class FitResult {
    kFits,   // *height is the largest height at which the text fits; *extent is its measure
    kNoFit,  // empty text, or it does not fit even at a height of magnitude 1
    kNoFont, // a font could not be made; the caller restores its original font
};

// One step larger or smaller in magnitude, keeping the sign convention of the height.
int GrowHeight(int height);
int ShrinkHeight(int height);

// Starts from *height measured as *extent (the font the caller has selected), grows while the box has room in
// either direction, then shrinks until the text fits both `width` and `boxHeight`. The grow loop stops at a
// height magnitude of 2 × boxHeight + 16: the shrink loop would bring any taller font back anyway.
FitResult FitTextHeight(int *height, TextExtent *extent, int width, int boxHeight, MeasureTextFn measure,
                        void *context);

// How much of a measured text lands in the picture: columns 0 … columns − 1 and rows 0 … rows − 1 of the text,
// counted from the selection's top-left corner, stay inside the selection, the text and the picture.
struct StampArea {
    int columns = 0, rows = 0;
};
StampArea ClipStamp(int left, int top, int right, int bottom, TextExtent text, int pictureWidth,
                    int pictureHeight);
