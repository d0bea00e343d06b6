// Highlight, shadow and histogram average from the histogram panel's popup: on the preview they change only the
// preview image; on the real picture they take an undo copy, change the internal image and remake the preview.
#include "adjust/sheet_levels_win.h"

#include "adjust/histogram_average.h"
#include "adjust/levels.h"
#include "adjust/sheet_win.h"
#include "image/document_win.h"
#include "platform/host.h"
#include "shell/undo_win.h"
#include "resource.h"

namespace {

// Stretches (or averages) one picture; the average makes a new block, which replaces *picture when it was made.
void ApplyLevel(HGLOBAL *picture, int id, int set) {
    if (id == IDM_PAGE_AVERAGE) {
        PackedDib averaged = HistogramAverage(*picture, gDoc.stats.raw[set]);
        if (!averaged) return;
        if (picture == &gDoc.internalImage) {
            ReplaceInternalImage(averaged, UndoRule::kKeep);
        } else {
            BlockFree(*picture);
            *picture = averaged;
        }
        return;
    }
    const int level = PopupLevel(gSheet.panelClickX, gSheet.layout.panel.left, gSheet.layout.panel.right);
    const LevelTriple highlight = id == IDM_PAGE_HIGHLIGHT ? LevelTriple{level, level, level} : LevelTriple{255, 255, 255};
    const LevelTriple shadow = id == IDM_PAGE_HIGHLIGHT ? LevelTriple{0, 0, 0} : LevelTriple{level, level, level};
    LevelStretch(*picture, highlight, shadow, kLevelPopup, gSheet.channels);
}

} // namespace

void PageLevelCommand(HWND page, int id) {
    if (gSheet.levelTarget == 1) {
        if (!gSheet.preview) return;
        // The preview's own counts: the last picture other than the internal image that was shown.
        ApplyLevel(&gSheet.preview, id, kHistSetOther);
        gSheet.ditherState = 0;
        RenderPreview(page);
    } else {
        if (!gDoc.internalImage) return;
        EnableWindow(page, FALSE);
        BusyCursor(true);
        StoreUndo();
        ApplyLevel(&gDoc.internalImage, id, kHistSetInternal);
        RebuildDisplayImage();
        BuildPreviewImage();
        RenderPreview(page);
        BusyCursor(false);
        EnableWindow(page, TRUE);
        if (gDoc.view) InvalidateRect(gDoc.view, nullptr, FALSE);
    }
    InvalidateRect(page, nullptr, TRUE);
}
