// The document state of the window program: the pictures, the view scale, the selection and the option flags.
// Add-ins read it through the host context, so its fields keep their raw Win32 types.
#pragma once
#include <windows.h>

#include <cstdint>

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
    BITMAPINFOHEADER header{};        // copy of the internal image's header; the tools clamp to its size
    int pictureWidth = 0, pictureHeight = 0;
    char title[256] = "Zelka - ";
    float scale[2] = {1.0f, 1.0f};    // view divisors x, y; 1.0 = 100 %
    bool autoReduce = false;
    bool titleRepaint = false;        // the next view paint writes the title with the scale
    bool titleNeedsRefresh = false;   // the frame's one-second timer writes the title with the scale
    RECT selection{0, 0, 0, 0};       // top-down view coordinates; all 0 = nothing selected
    FloatingPaste paste;
    int dragState = 0;
    uint32_t pickedColour = 0;        // PixelColour order
    bool pasteDisplayPriority = false;
    bool copyDisplay = true, copyInternal = true;
    bool fastRotation = false;
    bool floatInfoHidden = false;
    bool paletteDevice = false;       // the screen shows 256 colours through a palette
    HWND view = nullptr;              // the image view window
    HWND clipboardOwner = nullptr;    // the window that last put a picture on the clipboard
};

extern DocState gDoc;

// After every change of the internal image: remakes the display image, refreshes the statistics and the palette,
// selects the whole picture, repaints the view and shows the size.
void RebuildDisplayImage();

// Frees the undo copy, if any (the menu item is left alone).
void DropUndo();

// Replaces the internal image with a new picture: the old one and its undo copy go. The caller rebuilds.
void ReplaceInternalImage(HGLOBAL picture);
