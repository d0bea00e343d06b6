// The clipboard: copying the selection as CF_DIB and CF_BITMAP (and CF_PALETTE on palette screens), pasting as a
// floating paste or as a new picture, and merging the floating paste into the picture.
#pragma once
#include <windows.h>

// Command 4007 at 100 %: the selection (the whole picture when there is none) from the chosen sources.
void CopySelection();
// Command 4008 at 100 %: CF_DIB, then CF_BITMAP (the other way round with the display priority); with a picture
// the result floats over it, without one it becomes the picture.
void PasteFromClipboard();
// The floating paste joins the picture where it lies now (Enter, or a press outside it). False, with picture
// and paste kept, when there is no paste or the canvas cannot be made.
bool MergeFloatingPaste();

// The view's clipboard messages (WM_RENDERFORMAT, WM_RENDERALLFORMATS, WM_DESTROYCLIPBOARD): the display image's
// copy is handed to the clipboard only when someone asks for it.
void OnClipboardMessage(HWND view, UINT message, WPARAM wParam);

// A new device bitmap holding the rectangle of `bitmap` (its whole size when the rectangle is empty), or null.
HBITMAP CopyBitmapRect(HBITMAP bitmap, int left, int top, int right, int bottom);
