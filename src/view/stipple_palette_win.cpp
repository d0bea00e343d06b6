// Reads the display palette for the 256-colour stipple of the view and of the adjustment preview.
#include "view/stipple_palette_win.h"

#include <windows.h>

#include "image/document_win.h"

StipplePalette DisplayStipplePalette256() {
    PALETTEENTRY read[256] = {};
    if (gDoc.displayPalette) GetPaletteEntries(gDoc.displayPalette, 0, 256, read);
    PaletteEntryRgb entries[256];
    for (int k = 0; k < 256; ++k) entries[k] = {read[k].peRed, read[k].peGreen, read[k].peBlue, read[k].peFlags};
    return MakeStipplePalette256(entries);
}
