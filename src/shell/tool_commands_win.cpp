// Copy, paste and the level commands: refused unless the view shows the picture at 100 %, where it matters.
#include "shell/tool_commands_win.h"

#include <cstring>

#include "adjust/levels.h"
#include "image/clipboard_win.h"
#include "image/document_win.h"
#include "platform/host.h"
#include "shell/picture_settings.h"
#include "shell/toolbar_win.h"
#include "shell/undo_win.h"
#include "view/tools_win.h"
#include "resource.h"

namespace {

constexpr const char *kFullSizeOnly = "この操作は原寸時以外では実行出来ません";

bool AtFullSize() { return gDoc.scale[0] == 1.0f && gDoc.scale[1] == 1.0f; }

bool RefuseUnlessFullSize(HWND frame) {
    if (AtFullSize()) return false;
    MessageBoxA(frame, kFullSizeOnly, nullptr, MB_OK);
    return true;
}

// The picked colour as the command's triple: (blue, red, green).
LevelTriple PickedTriple() {
    const uint32_t c = gTool.picked;
    return LevelTriple{(int)(c & 0xFF), (int)(c >> 16 & 0xFF), (int)(c >> 8 & 0xFF)};
}

} // namespace

void CopyCommand(HWND frame) {
    if (!RefuseUnlessFullSize(frame)) CopySelection();
}

void PasteCommand(HWND frame) {
    if (RefuseUnlessFullSize(frame)) return;
    PasteFromClipboard();
    DibHeader h;
    if (DibInfo(gDoc.internalImage, &h)) memcpy(&gDoc.header, &h, sizeof h);
}

void LevelCommand(HWND frame, int id) {
    if (!gDoc.internalImage) return;
    const bool picked = id == IDM_LEVEL_HIGHLIGHT || id == IDM_LEVEL_SHADOW;
    if (picked) {
        if (RefuseUnlessFullSize(frame)) return;
        if (IsNowTool() != IDM_TOOL_COLOUR_PICK) {
            MessageBoxA(frame, "「しきい色」を指定してください", nullptr, MB_OK);
            return;
        }
    }
    BusyCursor(true);
    LevelTriple highlight{255, 255, 255}, shadow{0, 0, 0};
    int mode = kLevelPicked;
    if (picked) {
        (id == IDM_LEVEL_HIGHLIGHT ? highlight : shadow) = PickedTriple();
    } else {
        // The extremes of the internal image itself, never those of whatever picture was converted last.
        ChannelExtremes e{};
        ScanChannelExtremes(gDoc.internalImage, &e);
        mode = kLevelAuto;
        if (id == IDM_LEVEL_AUTO_HIGHLIGHT) highlight = LevelTriple{e.maxR, e.maxB, e.maxG};
        else shadow = LevelTriple{e.minR, e.minB, e.minG};
    }
    StoreUndo();
    // The stretch edits the picture in place; the undo copy just taken holds the picture before it.
    LevelStretch(gDoc.internalImage, highlight, shadow, mode);
    RebuildDisplayImage();
    ResetPictureSettings();
    BusyCursor(false);
}
