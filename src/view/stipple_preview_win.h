// The adjustment sheet's preview bitmap, rendered from the preview picture stippled to 16 or 256 colours or as it
// is. The sheet owns the preview picture and the bitmap; this only replaces the bitmap.
#pragma once
#include <windows.h>

// The modes, as the sheet's "表示色" box gives them; the mode word remembers the last one rendered.
constexpr int kPreviewStipple16 = 210;
constexpr int kPreviewStandard = 305;
constexpr int kPreviewStipple256 = 307;

// Renders `picture` into *bitmap (the old bitmap is deleted) in `mode` and repaints `window`, unless *modeWord
// already says so; the callers set *modeWord to 0 whenever the preview picture changes. Afterwards the colour
// statistics describe the unstippled picture.
void StipplePreview(HWND window, int mode, HGLOBAL picture, int *modeWord, HBITMAP *bitmap);
