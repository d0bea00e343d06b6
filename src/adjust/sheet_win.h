// The adjustment sheet "画像": its shared state, the page framework every page procedure builds on (preview
// image, painting, histogram panel, mouse, run protocol, UnDo, OK/Apply) and the command that opens it.
#pragma once
#include <windows.h>

#include "adjust/adjust_common.h"
#include "adjust/sheet_geometry.h"

// Page numbers: the active page number names the page that commits on OK/Apply.
enum SheetPage {
    kPageNoise1 = 0,
    kPageSaturation = 1,
    kPageDensity = 2,
    kPageNoise2 = 3,
    kPageOther = 4,
};

struct SheetState {
    HGLOBAL preview = nullptr;       // the preview image; owned by the sheet while it is open
    HBITMAP previewBitmap = nullptr; // its rendering in the chosen colours; owned by the sheet
    int ditherState = 0;             // what previewBitmap shows (0 none, else the StipplePreview mode)
    int originX = 0, originY = 0;    // picture pixel at the square's top-left
    PreviewZoom zoom;
    int levelTarget = 0;             // 0 the real picture ("実画面"), 1 the preview ("ﾌﾟﾚﾋﾞｭｰ画面")
    ChannelSwitches channels;
    int activePage = kPageNoise1;
    bool layoutDone = false;
    SheetLayout layout;
    SheetRect imageRect;             // the part of the square the picture covers (inclusive)
    int panelClickX = 0;
    POINT dragStart{};
    bool dragging = false, stroking = false, guideShown = false;
    int guideX = 0;
    bool strokesPending = false;     // fingertip strokes in the preview not yet merged into the picture
};

extern SheetState gSheet;

// Command 40011: runs the sheet modally (with a 24-bit internal image).
void AdjustSheetCommand(HWND frame);

// What a page adds to the framework.
struct PageOps {
    int number;
    // Reads and checks the page's parameters before a run; false: the run does not start (its message shown).
    bool (*readParameters)(HWND page);
    // The page's filter over a 24-bit target, in place or as a new block. Returns the picture to keep (the target
    // itself, or its replacement, which the framework installs and whose predecessor it frees); null when the
    // filter gave up (the target stays as it was).
    HGLOBAL (*filter)(HWND page, HGLOBAL target, bool apply);
    // After a commit: the parameters go back to 0 in the program-wide values and in the page's edits.
    void (*showParameters)(HWND page);
    // A click in the preview with "指先処理" on (page "ノイズ補正１" only; null elsewhere), in preview pixels.
    void (*fingertip)(HWND page, int px, int py);
};

// The shared handling of every page; a page procedure calls it for what it does not handle itself.
INT_PTR SheetPageMessage(const PageOps &ops, HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// Builds a new preview image from the internal image (the old one is freed) without rendering it.
void BuildPreviewImage();
// Renders the preview image in the colours chosen in the page's "表示色" box and repaints the page.
void RenderPreview(HWND page);
// A preview run (apply false) or an apply run (apply true) of the page's filter.
void RunPage(const PageOps &ops, HWND page, bool apply);

// Edit text as a signed number (0 when it holds none), and a number written into an edit.
int ReadEditNumber(HWND page, int id);
void WriteEditNumber(HWND page, int id, int value);
// An edit and its scroll bar: the bar follows a typed value; a bar action moves the value and rewrites the edit.
void FollowEdit(HWND page, int editId, int barId, int *value);
void OnValueScroll(HWND page, HWND bar, int code, int thumb, int editId, int page_, int low, int high, int *value);
void InitValueBar(HWND page, int editId, int barId, int low, int high, int value);
