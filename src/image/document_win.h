// The document state of the window program: the pictures, the view scale, the selection and the option flags.
// Add-ins read it through the host context, so its fields keep their raw Win32 types.
#pragma once
#include <windows.h>

#include <cstdint>

#include "image/colour_stats.h"
#include "image/dib.h"

static_assert(sizeof(BITMAPINFOHEADER) == sizeof(DibHeader), "the header copy is read through both names");

struct FloatingPaste {
    HGLOBAL dib = nullptr;      // the pasted picture, owned by the document
    HBITMAP bitmap = nullptr;   // its device bitmap, owned by the document
    int x = 0, y = 0;           // top-left in view pixels
};

struct DocState {
    HGLOBAL internalImage = nullptr;  // the 24-bit picture edits apply to; owned here, none without a picture
    HGLOBAL undoCopy = nullptr;       // one-level undo; owned here
    HBITMAP displayImage = nullptr;   // made from the internal image; owned here (an add-in may replace it)
    HPALETTE displayPalette = nullptr;// owned here; replaced when the internal image is shown on a palette display
    BITMAPINFOHEADER header{};        // copy of the internal image's header; the tools and scroll ranges use its size
    ColourStats stats{};              // of the last picture BitmapFromDib converted; the histogram panel reads it
    char title[256] = "Zelka - ";
    float scale[2] = {1.0f, 1.0f};    // view divisors x, y; 1.0 = 100 %
    bool autoReduce = false;
    bool titleRepaint = false;        // the next view paint writes the title with the scale
    bool titleNeedsRefresh = false;   // the frame's one-second timer writes the title with the scale
    RECT selection{0, 0, 0, 0};       // top-down view coordinates; all 0 = nothing selected
    FloatingPaste paste;
    bool pasteDisplayPriority = false;
    bool copyDisplay = true, copyInternal = true;
    bool fastRotation = false;
    bool floatInfoHidden = false;
    bool paletteDevice = false;       // the screen shows 256 colours through a palette
    HWND view = nullptr;              // the image view window
    HWND clipboardOwner = nullptr;    // the window that last put a picture on the clipboard
};

extern DocState gDoc;

// Every way the document's pictures change. Nothing else assigns internalImage, undoCopy, displayImage,
// displayPalette or paste; each transition frees the block it replaces right where it stores the new one.

enum class UndoRule {
    kKeep, // an edit of the same picture: the undo copy stored before it stays
    kDrop, // a new picture (open, drop, paste as a new picture): the undo copy goes
};

// The internal image becomes `picture` (which must already exist; the old block is freed after). The caller
// rebuilds the display image.
void ReplaceInternalImage(HGLOBAL picture, UndoRule undo);
// The undo copy becomes a duplicate of the internal image. False when there is no picture or no memory; the old
// copy is gone either way.
bool StoreUndoCopy();
// The undo copy becomes the internal image (a restore, not a swap: afterwards there is no undo copy). False, and
// nothing changes, without one.
bool RestoreUndoCopy();
// Frees the undo copy, if any (the menu item is left alone).
void DropUndo();
// Erase: the internal image and the display image go, the header's size becomes 0; the undo copy stays.
void ClearPicture();
// A new floating paste; one already floating is freed first (a second paste replaces the first).
void ReplaceFloatingPaste(HGLOBAL dib, HBITMAP bitmap, int x, int y);
// Frees the floating paste's block and bitmap and reads the header from the internal image again.
void DropFloatingPaste();
// A rendering that stands in for the display image until the next rebuild (the stipple); the old one is deleted.
void ReplaceDisplayImage(HBITMAP bitmap);
// The shortage policy's first sacrifice; false when there was no display image.
bool ReleaseDisplayImage();
// The display palette becomes `palette` (not null); the old one is deleted.
void ReplaceDisplayPalette(HPALETTE palette);
// WM_DESTROY: every picture, the display image and the display palette.
void ReleaseDocument();

// After every change of the internal image: remakes the display image, refreshes the statistics and the palette,
// selects the whole picture, repaints the view and shows the size.
void RebuildDisplayImage();

// A device bitmap in the screen's format from a PackedDib (dc null = the screen), or null. Refreshes the colour
// statistics in gDoc.stats; for the internal image also the header copy and, on palette displays, the display
// palette. Exported to add-ins.
extern "C" HBITMAP WINAPI BitmapFromDib(HGLOBAL dib, HDC dc) noexcept;

// A new PackedDib from a device bitmap at depth (0 = the bitmap's own; 9 and up give 24 bits), read through the
// display palette, or null with a message when memory is short.
HGLOBAL DibFromBitmap(HBITMAP bitmap, int depth);
