// Quarter turns of the internal image, with the undo copy taken first.
#include "shell/rotate_commands_win.h"

#include "image/document_win.h"
#include "platform/host.h"
#include "shell/picture_settings.h"
#include "shell/undo_win.h"
#include "transform/rotate.h"

bool QuarterTurnCommand(int direction) {
    DibHeader h;
    if (!DibInfo(gDoc.internalImage, &h)) return false;
    BusyCursor(true);
    StoreUndo();
    // On failure the picture stays as it was; the undo copy just taken stays too.
    PackedDib turned = RotateQuarterTurn(gDoc.internalImage, direction);
    if (turned) {
        ReplaceInternalImage(turned, UndoRule::kKeep);
        RebuildDisplayImage();
        ResetPictureSettings();
    }
    BusyCursor(false);
    return true;
}
