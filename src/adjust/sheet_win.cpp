// The adjustment sheet's framework: opening the sheet, the shared page controls, the preview image and its
// painting, the histogram panel, the mouse in a page, the run protocol, the page's UnDo and OK/Apply.
#include "adjust/sheet_win.h"

#include <commctrl.h>
#include <windowsx.h>

#include "adjust/sheet_levels_win.h"
#include "adjust/sheet_pages_win.h"
#include "image/document_win.h"
#include "platform/host.h"
#include "platform/scoped_win.h"
#include "shell/picture_settings.h"
#include "shell/shell_win.h"
#include "shell/undo_win.h"
#include "view/invert_line_win.h"
#include "view/regions.h"
#include "view/stipple_preview_win.h"
#include "view/view_window_win.h"
#include "resource.h"

SheetState gSheet;

namespace {

const char *const kZoomItems[kZoomItemCount] = {"x 1/4", "x 1/2", "x 1", "x 2", "x 4"};
const char *const kColourItems[3] = {"標準", "16色", "256色"};
const int kColourModes[3] = {kPreviewStandard, kPreviewStipple16, kPreviewStipple256};

void ReleasePreview() {
    if (gSheet.preview) BlockFree(gSheet.preview);
    gSheet.preview = nullptr;
    if (gSheet.previewBitmap) DeleteObject(gSheet.previewBitmap);
    gSheet.previewBitmap = nullptr;
    gSheet.ditherState = 0;
    gSheet.strokesPending = false;
}

// Shared by the five pages: the sheet frees the preview when it closes.
UINT CALLBACK PageCallback(HWND, UINT message, LPPROPSHEETPAGEA) noexcept {
    if (message == PSPCB_CREATE) return 1;
    if (message == PSPCB_RELEASE) {
        ReleasePreview();
        gDoc.titleRepaint = true;
    }
    return 0;
}

bool InSquareInterior(int x, int y) {
    const SheetRect &s = gSheet.layout.square;
    return x > s.left && x < s.right && y > s.top && y < s.bottom;
}

// The panel's right coordinate is its last column, so that a click at the very right gives level 254.
bool InPanel(int x, int y) {
    const SheetRect &p = gSheet.layout.panel;
    return x >= p.left && x <= p.right && y >= p.top && y < p.bottom;
}

void ReadZoom(HWND page) {
    gSheet.zoom = ZoomOfItem((int)SendDlgItemMessageA(page, IDC_SHEET_ZOOM, CB_GETCURSEL, 0, 0));
}

void FillDropDowns(HWND page) {
    for (const char *item : kZoomItems) SendDlgItemMessageA(page, IDC_SHEET_ZOOM, CB_ADDSTRING, 0, (LPARAM)item);
    SendDlgItemMessageA(page, IDC_SHEET_ZOOM, CB_SETCURSEL, kZoomItemUnit, 0);
    for (const char *item : kColourItems) SendDlgItemMessageA(page, IDC_SHEET_COLOURS, CB_ADDSTRING, 0, (LPARAM)item);
    SendDlgItemMessageA(page, IDC_SHEET_COLOURS, CB_SETCURSEL, 0, 0);
}

// What WM_INITDIALOG and PSN_SETACTIVE share: the popup's page, the switches and the layout made once, from the
// template's size (the sheet may stretch a page afterwards; the controls stay where the template put them).
void InitSharedControls(HWND page) {
    gSheet.ditherState = 0;
    gShell.levelPopupOwner = page;
    CheckDlgButton(page, IDC_SHEET_RED, gSheet.channels.red ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(page, IDC_SHEET_GREEN, gSheet.channels.green ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(page, IDC_SHEET_BLUE, gSheet.channels.blue ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(page, IDC_SHEET_TARGET_PREVIEW, gSheet.levelTarget == 1 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(page, IDC_SHEET_TARGET_REAL, gSheet.levelTarget == 1 ? BST_UNCHECKED : BST_CHECKED);
    if (!gSheet.layoutDone) {
        gSheet.zoom = PreviewZoom{};
        CheckDlgButton(page, IDC_SHEET_TARGET_REAL, BST_CHECKED);
        RECT rc;
        GetClientRect(page, &rc);
        gSheet.layout = ComputeSheetLayout(rc.right, rc.bottom);
        gSheet.layoutDone = true;
    }
}

void OnSetActive(const PageOps &ops, HWND page) {
    InitSharedControls(page);
    ops.showParameters(page);
    gSheet.activePage = ops.number;
    PropSheet_Changed(GetParent(page), page);
    SendDlgItemMessageA(page, IDC_SHEET_ZOOM, CB_SETCURSEL, ItemOfZoom(gSheet.zoom), 0);
}

// OK and Apply reach every page; only the page shown last commits, then its parameters start again at 0.
void OnApply(const PageOps &ops, HWND page) {
    if (gSheet.activePage != ops.number) return;
    RunPage(ops, page, false);
    RunPage(ops, page, true);
    if (gDoc.view) InvalidateRect(gDoc.view, nullptr, FALSE);
    ResetPictureSettings();
    ops.showParameters(page);
}

// ---- painting ----

void DrawHistogramPanel(HDC dc) {
    const SheetRect &p = gSheet.layout.panel;
    RECT panel{p.left, p.top, p.right + 1, p.bottom};
    FillRect(dc, &panel, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    const int set = gSheet.levelTarget == 1 ? kHistSetOther : kHistSetInternal;
    static const COLORREF kColours[3] = {0xFF0000, 0x00FF00, 0x0000FF}; // blue, green, red
    for (int channel = kHistBlue; channel <= kHistRed; ++channel) {
        ScopedBrush brush(CreateSolidBrush(kColours[channel]));
        SelectedObject selected(dc, brush);
        int previous = -1;
        for (int level = 1; level <= 254; ++level) {
            const HistogramColumn c = HistogramColumnOf(level, (int)gDoc.stats.scaled[set][channel][level], p);
            if (c.x == previous) continue;
            previous = c.x;
            // Inverting on black: overlapping channels mix their colours.
            PatBlt(dc, c.x, c.y, 1, c.height, PATINVERT);
        }
    }
}

void OnPaint(HWND page) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(page, &ps);
    if (gSheet.preview && gSheet.previewBitmap) {
        const SheetRect &s = gSheet.layout.square;
        RECT square{s.left, s.top, s.right + 1, s.bottom + 1};
        FillRect(dc, &square, GetSysColorBrush(COLOR_BTNFACE));
        const SheetRect &r = gSheet.imageRect;
        const int w = r.right - r.left + 1, h = r.bottom - r.top + 1;
        if (w > 0 && h > 0) {
            MemoryDc memory(dc);
            SelectedObject bitmap(memory, gSheet.previewBitmap);
            RealizedPalette palette(dc, gDoc.displayPalette);
            RealizedPalette memoryPalette(memory, gDoc.displayPalette);
            SetStretchBltMode(dc, HALFTONE);
            SetBrushOrgEx(dc, 0, 0, nullptr);
            StretchBlt(dc, r.left, r.top, w, h, memory, 0, 0, w / gSheet.zoom.m, h / gSheet.zoom.m, SRCCOPY);
        }
    }
    DrawHistogramPanel(dc);
    EndPaint(page, &ps);
    // The panel was painted over: a guide line under the mouse must be drawn again to stay where it is.
    if (gSheet.guideShown) InvertVLine(page, gSheet.guideX, gSheet.layout.panel.top, gSheet.layout.panel.bottom);
}

// ---- the mouse ----

void EraseGuide(HWND page) {
    if (!gSheet.guideShown) return;
    InvertVLine(page, gSheet.guideX, gSheet.layout.panel.top, gSheet.layout.panel.bottom);
    gSheet.guideShown = false;
    if (!gSheet.dragging && !gSheet.stroking) ReleaseCapture();
}

void OpenLevelPopup(HWND page, int x, int y) {
    EraseGuide(page);
    gSheet.panelClickX = x;
    gShell.levelPopupOwner = page;
    POINT at{x, y};
    ClientToScreen(page, &at);
    // The frame owns the popup; its command comes back to this page as 1014...1016.
    TrackPopupMenu(gShell.levelPopup[gSheet.levelTarget == 1 ? 1 : 0], 0, at.x, at.y, 0, gShell.frame, nullptr);
}

void OnLButtonDown(const PageOps &ops, HWND page, int x, int y) {
    if (InSquareInterior(x, y) && gSheet.preview) {
        if (ops.fingertip && GetDlgItem(page, IDC_NOISE_FINGERTIP) && IsDlgButtonChecked(page, IDC_NOISE_FINGERTIP)) {
            ReadZoom(page);
            if (gSheet.zoom.d == 1) {
                gSheet.stroking = true;
                const SheetRect &s = gSheet.layout.square;
                ops.fingertip(page, FingertipCoordinate(x, s.left, gSheet.zoom),
                              FingertipCoordinate(y, s.top, gSheet.zoom));
            }
        } else {
            gSheet.dragging = true;
            gSheet.dragStart = POINT{x, y};
        }
        SetCapture(page);
    } else if (InPanel(x, y)) {
        OpenLevelPopup(page, x, y);
    }
}

void OnMouseMove(HWND page, int x, int y) {
    EraseGuide(page);
    if ((InSquareInterior(x, y) || gSheet.dragging) && gSheet.preview) {
        SetCursor(gShell.handCursor);
    } else if (InPanel(x, y)) {
        SetCursor(gShell.c7Cursor);
        SetCapture(page);
        InvertVLine(page, x, gSheet.layout.panel.top, gSheet.layout.panel.bottom);
        gSheet.guideX = x;
        gSheet.guideShown = true;
    } else {
        SetCursor(LoadCursor(nullptr, IDC_ARROW));
    }
}

// Keeps the dialog's class cursor from flickering over the cursors the mouse moves choose.
bool OnSetCursor(HWND page) {
    POINT at;
    GetCursorPos(&at);
    ScreenToClient(page, &at);
    if (InSquareInterior(at.x, at.y) && gSheet.preview) SetCursor(gShell.handCursor);
    else if (InPanel(at.x, at.y)) SetCursor(gShell.c7Cursor);
    else return false;
    return true;
}

void OnLButtonUp(const PageOps &ops, HWND page, int x, int y) {
    if (gSheet.dragging) {
        ReleaseCapture();
        gSheet.dragging = false;
        DibHeader h;
        if (DibInfo(gDoc.internalImage, &h)) {
            const SheetRect &s = gSheet.layout.square;
            gSheet.originX = DraggedOrigin(gSheet.originX, gSheet.dragStart.x, x, gSheet.zoom, s.right - s.left + 1,
                                           h.biWidth);
            gSheet.originY = DraggedOrigin(gSheet.originY, gSheet.dragStart.y, y, gSheet.zoom, s.bottom - s.top + 1,
                                           h.biHeight);
        }
        RunPage(ops, page, false);
    }
    gSheet.stroking = false;
    // A click with "指先処理" on over a reduced preview captured the mouse without starting anything.
    if (GetCapture() == page) ReleaseCapture();
}

// ---- commands ----

void PageUndo(const PageOps &ops, HWND page) {
    if (gDoc.undoCopy) RestoreUndo();
    ReadZoom(page);
    RunPage(ops, page, false);
}

bool OnSharedCommand(const PageOps &ops, HWND page, int id, int code) {
    switch (id) {
    case IDC_SHEET_PREVIEW:
        if (code == BN_CLICKED) RunPage(ops, page, false);
        return true;
    case IDC_SHEET_ZOOM:
    case IDC_SHEET_COLOURS:
        if (code == CBN_SELCHANGE) {
            ReadZoom(page);
            RunPage(ops, page, false);
        }
        return true;
    case IDC_SHEET_TARGET_REAL:
    case IDC_SHEET_TARGET_PREVIEW:
        if (code == BN_CLICKED) {
            gSheet.levelTarget = id == IDC_SHEET_TARGET_PREVIEW ? 1 : 0;
            InvalidateRect(page, nullptr, FALSE);
        }
        return true;
    case IDC_SHEET_RED: gSheet.channels.red = IsDlgButtonChecked(page, id) == BST_CHECKED; return true;
    case IDC_SHEET_GREEN: gSheet.channels.green = IsDlgButtonChecked(page, id) == BST_CHECKED; return true;
    case IDC_SHEET_BLUE: gSheet.channels.blue = IsDlgButtonChecked(page, id) == BST_CHECKED; return true;
    case IDC_SHEET_UNDO:
        if (code == BN_CLICKED) PageUndo(ops, page);
        return true;
    case IDM_PAGE_HIGHLIGHT:
    case IDM_PAGE_SHADOW:
    case IDM_PAGE_AVERAGE: PageLevelCommand(page, id); return true;
    default: return false;
    }
}

} // namespace

// ---- the preview image ----

void BuildPreviewImage() {
    if (gSheet.preview) BlockFree(gSheet.preview);
    gSheet.preview = nullptr;
    gSheet.ditherState = 0;
    gSheet.strokesPending = false;
    const SheetRect &s = gSheet.layout.square;
    gSheet.imageRect = {s.left, s.top, s.left - 1, s.top - 1};
    DibHeader h;
    if (!DibInfo(gDoc.internalImage, &h) || h.biBitCount != 24) return;
    const PreviewRegion r = ComputePreviewRegion(gSheet.originX, gSheet.originY, gSheet.zoom, s.right - s.left + 1,
                                                 s.bottom - s.top + 1, h.biWidth, h.biHeight);
    if (r.empty) return;
    PackedDib copy = CopyDibRect(gDoc.internalImage, gSheet.originX, gSheet.originY, gSheet.originX + r.copyWidth,
                                 gSheet.originY + r.copyHeight);
    if (!copy) return;
    if (gSheet.zoom.d != 1) {
        // Reductions are made here, at preview resolution; magnifications only when painting.
        PackedDib reduced = MakePicture(kDibHeaderSize, r.width, r.height, 1u | 24u << 16, 0, 0, 0, 0, 0, 0);
        const bool done = reduced && ResampleInto(reduced, copy);
        BlockFree(copy);
        if (!done) {
            if (reduced) BlockFree(reduced);
            return;
        }
        copy = reduced;
    }
    gSheet.preview = copy;
    gSheet.imageRect = {s.left, s.top, s.left + r.width - 1, s.top + r.height - 1};
}

void RenderPreview(HWND page) {
    int item = (int)SendDlgItemMessageA(page, IDC_SHEET_COLOURS, CB_GETCURSEL, 0, 0);
    if (item < 0 || item > 2) item = 0;
    StipplePreview(page, kColourModes[item], gSheet.preview, &gSheet.ditherState, &gSheet.previewBitmap);
    // The stipple's work memory may have cost the view its display image.
    EnsureDisplayImage();
}

void RunPage(const PageOps &ops, HWND page, bool apply) {
    if (!ops.readParameters(page)) return;
    EnableWindow(page, FALSE);
    BusyCursor(true);
    HGLOBAL target;
    if (apply) {
        StoreUndo();
        target = gDoc.internalImage;
    } else {
        BuildPreviewImage();
        target = gSheet.preview;
    }
    DibHeader h;
    if (target && DibInfo(target, &h) && h.biBitCount == 24) {
        HGLOBAL kept = ops.filter(page, target, apply);
        if (kept && kept != target) {
            if (apply) {
                ReplaceInternalImage(kept, UndoRule::kKeep);
            } else {
                BlockFree(gSheet.preview);
                gSheet.preview = kept;
            }
        }
    }
    if (apply) {
        RebuildDisplayImage();
        gDoc.titleRepaint = true;
    } else {
        gSheet.ditherState = 0;
        RenderPreview(page);
    }
    BusyCursor(false);
    EnableWindow(page, TRUE);
    if (apply && gDoc.view) InvalidateRect(gDoc.view, nullptr, FALSE);
    InvalidateRect(page, nullptr, TRUE);
}

// ---- edits and scroll bars ----

int ReadEditNumber(HWND page, int id) {
    BOOL ok = FALSE;
    return (int)GetDlgItemInt(page, id, &ok, TRUE);
}

void WriteEditNumber(HWND page, int id, int value) { SetDlgItemInt(page, id, (UINT)value, TRUE); }

void FollowEdit(HWND page, int editId, int barId, int *value) {
    *value = ReadEditNumber(page, editId);
    HWND bar = GetDlgItem(page, barId);
    if (bar && GetScrollPos(bar, SB_CTL) != *value) SetScrollPos(bar, SB_CTL, *value, TRUE);
}

void OnValueScroll(HWND page, HWND bar, int code, int thumb, int editId, int pageStep, int low, int high,
                   int *value) {
    const int next = NextScrollPosition(code, GetScrollPos(bar, SB_CTL), thumb, pageStep, low, high);
    SetScrollPos(bar, SB_CTL, next, TRUE);
    WriteEditNumber(page, editId, next);
    *value = next;
}

void InitValueBar(HWND page, int editId, int barId, int low, int high, int value) {
    WriteEditNumber(page, editId, value);
    HWND bar = GetDlgItem(page, barId);
    SetScrollRange(bar, SB_CTL, low, high, FALSE);
    SetScrollPos(bar, SB_CTL, value, TRUE);
}

// ---- the page procedure's shared half ----

INT_PTR SheetPageMessage(const PageOps &ops, HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        FillDropDowns(page);
        InitSharedControls(page);
        return TRUE;
    case WM_PAINT: OnPaint(page); return TRUE;
    case WM_NOTIFY: {
        const NMHDR *n = reinterpret_cast<const NMHDR *>(lParam);
        if (n->code == PSN_SETACTIVE) {
            OnSetActive(ops, page);
            SetWindowLongPtrA(page, DWLP_MSGRESULT, 0);
            return TRUE;
        }
        if (n->code == PSN_APPLY) {
            OnApply(ops, page);
            SetWindowLongPtrA(page, DWLP_MSGRESULT, PSNRET_NOERROR);
            return TRUE;
        }
        return FALSE;
    }
    case WM_COMMAND: return OnSharedCommand(ops, page, LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
    case WM_LBUTTONDOWN: OnLButtonDown(ops, page, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); return TRUE;
    case WM_MOUSEMOVE: OnMouseMove(page, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); return TRUE;
    case WM_LBUTTONUP: OnLButtonUp(ops, page, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); return TRUE;
    case WM_SETCURSOR:
        if ((HWND)wParam != page || LOWORD(lParam) != HTCLIENT || !OnSetCursor(page)) return FALSE;
        SetWindowLongPtrA(page, DWLP_MSGRESULT, TRUE);
        return TRUE;
    default: return FALSE;
    }
}

// ---- opening ----

void AdjustSheetCommand(HWND frame) {
    DibHeader h;
    if (!DibInfo(gDoc.internalImage, &h) || h.biBitCount != 24) return;
    const POINT scroll = gDoc.view ? ScrollPosition(gDoc.view) : POINT{0, 0};
    gSheet.originX = OpeningOrigin(scroll.x, gDoc.scale[0], h.biWidth);
    gSheet.originY = OpeningOrigin(scroll.y, gDoc.scale[1], h.biHeight);

    PROPSHEETPAGEA pages[kSheetPageCount] = {};
    for (int i = 0; i < kSheetPageCount; ++i) {
        const SheetPageEntry &e = kSheetPages[i];
        PROPSHEETPAGEA &p = pages[i];
        p.dwSize = sizeof p;
        p.dwFlags = PSP_USECALLBACK | (e.title ? PSP_USETITLE : 0);
        p.hInstance = gShell.instance;
        p.pszTemplate = MAKEINTRESOURCEA(e.templateId);
        p.pfnDlgProc = e.procedure;
        p.pszTitle = e.title;
        p.lParam = 0;
        p.pfnCallback = PageCallback;
    }
    PROPSHEETHEADERA header = {};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_PROPTITLE;
    header.hwndParent = frame;
    header.hInstance = gShell.instance;
    header.pszCaption = "画像";
    header.nPages = kSheetPageCount;
    header.nStartPage = 0;
    header.ppsp = pages;
    PropertySheetA(&header);
    // Pages that were never created get no release call; nothing of the preview outlives the sheet.
    ReleasePreview();
    gDoc.titleRepaint = true;
}
