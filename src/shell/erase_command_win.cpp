// Erase: drops the floating paste when there is one, otherwise the picture itself after taking the undo copy.
#include "shell/erase_command_win.h"

#include <cstring>

#include "image/document_win.h"
#include "platform/host.h"
#include "shell/picture_settings.h"
#include "shell/shell_win.h"
#include "shell/toolbar_win.h"
#include "shell/undo_win.h"
#include "resource.h"

namespace {

void EraseFloatingPaste(HWND frame) {
    DropFloatingPaste();
    HMENU menu = GetMenu(frame);
    MirrorEnable(menu, IDM_EDIT_COPY, MF_ENABLED);
    MirrorEnable(menu, IDM_EDIT_SELECT_ALL, MF_ENABLED);
}

void ErasePicture() {
    // Erasing an empty window must not throw away the undo copy of the picture erased before.
    if (gDoc.internalImage) StoreUndo();
    ClearPicture();
    strcpy(gDoc.title, "(無題)");
    ShowStatusText(1, gDoc.title);
    ResetPictureSettings();
}

} // namespace

void EraseCommand(HWND frame) {
    DibHeader h;
    if (DibInfo(gDoc.paste.dib, &h)) EraseFloatingPaste(frame);
    else ErasePicture();
    UpdateToolCursor();
    gDoc.selection = {0, 0, 0, 0};
    if (gDoc.view) InvalidateRect(gDoc.view, nullptr, FALSE);
}
