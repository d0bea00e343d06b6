// What the end-to-end driver and its probe add-in share: a named memory block the driver creates, holding the
// probe's answers and a log of the frame messages each probe saw, in the order the chain delivered them.
#pragma once
#include <windows.h>

#include <cstdint>

#include "resource.h"

#define PROBE_MAPPING_NAME "OrbenE2EProbeBlock"

// WM_COPYDATA dwData values the driver sends to the frame (the frame hands them to the add-in chain).
enum ProbeQuery : ULONG_PTR {
    kQueryState = 0x0E2E0001,       // fill ProbeBlock::state
    kQueryTimeBitmap = 0x0E2E0002,  // time BitmapFromDib (ordinal 12) on the internal image
    kQueryTools = 0x0E2E0101,       // fill ProbeBlock::tools (the view's gestures, as seen from inside)
    kQueryTextSetSelection = 0x0E2E0501, // text add-in: slot 5 becomes ProbeBlock::textSelection
    kQueryTextPicture = 0x0E2E0502,      // text add-in: the internal image into ProbeBlock::textPixels
};

// Command ids: the probes' own menu items are kProbeItemBase + probe number; the driver's barrier commands
// (ids nobody handles, forwarded to the chain) are kSyncBase + sequence.
enum : int {
    kProbeItemBase = 0x7E00,
    kSyncBase = 0x6000,
    kSyncSpan = 0x1000,
};

// The menu items whose check and gray states the probe reports, in this order.
static const int kProbeMenuIds[] = {IDM_VIEW_HIDE_STATUS, IDM_EDIT_COPY, IDM_VIEW_AUTO_REDUCE, IDM_FILE_SAVE_INTERNAL, IDM_FILE_SAVE_DISPLAY, IDM_VIEW_FULL_SIZE, IDM_EDIT_SELECT_ALL, IDM_EDIT_PASTE_DISPLAY, IDM_EDIT_COPY_INTERNAL, IDM_EDIT_COPY_DISPLAY, IDM_ROTATE_FAST, IDM_VIEW_HIDE_FLOAT_INFO, IDM_EDIT_UNDO,
                                    IDM_TOOL_RECTANGLE, IDM_TOOL_AXIS, IDM_TOOL_FREEHAND, IDM_TOOL_POLYGON, IDM_TOOL_MAGIC_ROD};
enum { kProbeMenuCount = sizeof(kProbeMenuIds) / sizeof(kProbeMenuIds[0]) };

struct ProbeState {
    int32_t answeredBy;             // probe number that filled this record
    int32_t menuState[kProbeMenuCount]; // GetMenuState(..., MF_BYCOMMAND), -1 when the item is missing
    int32_t menuBarCount;
    char menuBar[8][32];            // top-level captions
    int32_t extensionCount;         // items of the "拡張(&X)" popup (-1 when there is none)
    char extension[8][32];
    int32_t isNowTool;              // ordinal 16
    int32_t hasInternalImage;       // slot 0 holds a handle
    int32_t dibInfoResult;          // ordinal 15 on it
    BITMAPINFOHEADER info;          // what ordinal 15 returned
    BITMAPINFOHEADER headerCopy;    // slot 7
    uint64_t pixelHash;             // FNV-1a over the pixel bytes of every row, padding left out
    uint32_t corner[4];             // ordinal 13 at (bottom-left, bottom-right, top-left, top-right)
    int32_t cornerMatches;          // 1 when ordinal 13 agreed with the bytes at those corners
    float scale[2];                 // slot 2
    RECT selection;                 // slot 5
    int32_t viewMatches;            // slot 3 is the frame's view child
    int32_t displayWidth, displayHeight; // slot 1's bitmap size, 0 without one
    char viewCursor[16];            // the view's class cursor by name: "C1CUR"... , "ARROW", "HANDCUR" or "?"
    int32_t swatchVisible;          // the colour swatch child of the view
    int32_t hScrollMax, vScrollMax; // the view's scroll ranges (0 when not needed)
    int32_t hScrollShown, vScrollShown;
};

struct ProbeLogEntry {
    int32_t probe;     // probe number
    uint32_t message;
    uint32_t id;       // LOWORD(wParam) for WM_COMMAND
    int32_t passedTo;  // 1 = the next add-in, 2 = DefWindowProcA
    int32_t width, height; // the internal image at that moment (for WM_COMMAND 4000: the open has finished)
    int64_t qpc;       // QueryPerformanceCounter when it arrived
};

enum { kProbeLogSize = 256 };

// Every text the program wrote to a status part (through the status bar) or to the frame caption, in order.
struct ProbeText {
    int32_t part; // 0 or 1 for a status part, -1 for the frame caption
    char text[124];
};
enum { kProbeTextSize = 128 };

// kQueryTools: the driver fills `points` (view client coordinates) and clears answered before it asks.
enum { kProbePixelPoints = 8 };
struct ProbeTools {
    int32_t answered;
    int32_t gdiObjects;          // GetGuiResources, or the live entries of the GDI handle table where that is 0
    int32_t userObjects;
    int32_t captureIsView;       // a gesture holds the mouse
    int32_t swatchVisible;
    RECT swatchRect;             // in the view's client coordinates
    uint32_t swatchColour;       // 0xRRGGBB at the swatch's centre
    int32_t infoVisible;         // the floating information window
    RECT infoRect;               // screen coordinates
    char infoText[80];
    int32_t pointCount;
    POINT points[kProbePixelPoints];
    uint32_t pixels[kProbePixelPoints]; // 0xRRGGBB on the view at each point
    POINT scroll;                // the view's scroll positions
};

// The text add-in's scenarios: a selection to set, and the internal image read back whole.
enum { kTextPixelsMax = 320 * 240 };
struct ProbeTextPicture {
    RECT selection;            // kQueryTextSetSelection writes it to slot 5
    int32_t answered;          // the driver clears it; the probe that answers sets it
    int32_t width, height;     // of the internal image; 0 without one or when it is larger than the buffer
    int32_t displayMatches;    // slot 1's bitmap shows exactly the internal image's pixels
    char textMenu[4][32];      // the items of the "テキスト(&T).." submenu, with their ids
    int32_t textMenuIds[4];
    int32_t textMenuStates[4]; // GetMenuState by position
    int32_t textMenuCount;     // -1 when there is no such submenu
    uint32_t pixels[kTextPixelsMax]; // 0xRRGGBB, top row first
};

struct ProbeBlock {
    ProbeState state;
    int64_t bitmapTicks;        // kQueryTimeBitmap: QueryPerformanceCounter ticks for BitmapFromDib
    int32_t bitmapOk;
    int32_t logCount;           // entries written so far (wraps the ring)
    ProbeLogEntry log[kProbeLogSize];
    int32_t loadedProbes;       // SetNextProc(null, ...) calls seen, one per accepted probe
    int32_t contextSlot6Null;   // 1 when slot 6 held null at the last SetNextProc
    int32_t textCount;
    ProbeText texts[kProbeTextSize];
    // Tools: what the view's gestures leave behind, read from inside the program.
    ProbeTools tools;
    // text add-in (kQueryTextSetSelection, kQueryTextPicture)
    ProbeTextPicture textPicture;
};
