// The stipple: renders a full-colour picture with only 16 or 256 palette colours by matching each pixel against
// the weighted average of its already-stippled, similar neighbours. Used by the stipple display and the
// adjustment preview.
#pragma once
#include <cstddef>
#include <functional>

#include "image/dib.h"
#include "image/range_palette.h"

// The colours a stipple may use, with the search tables worked out once from them.
struct StipplePalette {
    int size = 0; // 16 or 256
    PaletteEntryRgb entries[256] = {};
    // Per channel (0 red, 1 green, 2 blue): the distinct values, and each entry's index among them.
    int levelCount[3] = {0, 0, 0};
    int levels[3][256] = {};
    unsigned char levelOf[3][256] = {};
    // Entry k is (red level k / 36, green level k / 6 % 6, blue level k % 6), as in every range palette: the
    // 256-colour search can then go channel by channel.
    bool cube = false;
    // The entries are exactly kStippleColours16.
    bool fixed16 = false;
    int cubeLevel[3][8] = {};
};

// The fixed 16-colour table (index: red, green, blue).
extern const PaletteEntryRgb kStippleColours16[16];

StipplePalette MakeStipplePalette16();
// The 256 entries of the display palette, read as plain red, green and blue bytes.
StipplePalette MakeStipplePalette256(const PaletteEntryRgb entries[256]);

// Stipples storage row `row`. Both pictures are locked 24-bit blocks of the same size with rows rowStride bytes
// apart; the destination's three rows stored before `row` must already be stippled, so rows go in storage order
// 0, 1, 2, ...
void StippleRow(int row, const void *lockedSource, void *lockedDestination, size_t rowStride,
                const StipplePalette &palette);

// Called with the percentage of rows done each time another 5 % of them is (never for 0 %).
using StippleProgress = std::function<void(int percent)>;

// A new stippled copy of a 24-bit picture (header copied, every pixel a palette colour), reporting through
// `report` (may be empty). Null for a picture that is not 24-bit or when memory runs out (the host's work
// allocator has then told the user).
PackedDib StippleRows(PackedDib source, const StipplePalette &palette, const StippleProgress &report);

// A new stippled copy of a 24-bit picture (header copied, every pixel a palette colour), with the busy cursor and
// progress in 5 % steps ("点描 %d%%" in the caption when the status bar is hidden). Null for a picture that is
// not 24-bit or when memory runs out (the host's work allocator has then told the user).
PackedDib StipplePicture(PackedDib source, const StipplePalette &palette);
