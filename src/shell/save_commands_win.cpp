// The save commands: the save dialog over the shared block, the picture the check marks choose, and the file.
#include "shell/save_commands_win.h"

#include <string>

#include "image/dib_gdi_win.h"
#include "image/document_win.h"
#include "platform/host.h"
#include "shell/file_commands_win.h"
#include "shell/frame_config.h"
#include "shell/save_picture.h"
#include "shell/shell_win.h"
#include "shell/undo_win.h"
#include "resource.h"

namespace {

bool SavesInternalImage(HWND frame) {
    return (GetMenuState(GetMenu(frame), IDM_FILE_SAVE_INTERNAL, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

// After the dialog: the picture to write, or null. *owned when the caller must free it; *reported when a message
// already said why there is none.
PackedDib SaveSource(bool internal, bool *owned, bool *reported) {
    *owned = false;
    *reported = false;
    if (internal) return FullColourSource(gDoc.internalImage, owned);
    EnsureDisplayImage();
    if (!gDoc.displayImage) return nullptr;
    PackedDib dib = DibFromBitmap(gDoc.displayImage, 0);
    *owned = dib != nullptr;
    *reported = dib == nullptr; // the conversion shows its own message when memory is short
    return dib;
}

} // namespace

int SaveCommand(HWND frame, bool compressed) {
    PrepareFileDialog(kDialogSave);
    FileDialogBlock *block = gShell.fileDialog;
    if (!block) return 0;
    const bool internal = SavesInternalImage(frame);
    std::string title;
    if (!SaveDialogTitle(compressed, internal, &title)) return 0;
    // Nothing to save: no point in asking for a file name.
    DibHeader h;
    if (!DibInfo(gDoc.internalImage, &h)) return 0;
    lstrcpynA(block->title, title.c_str(), sizeof block->title);
    block->ofn.lpstrTitle = block->title;
    if (!GetSaveFileNameA(&block->ofn)) return 1;

    BusyCursor(true);
    bool owned = false, reported = false;
    PackedDib source = SaveSource(internal, &owned, &reported);
    if (internal && !source) {
        BusyCursor(false);
        return 0;
    }
    SaveOutcome outcome = reported ? SaveOutcome::kNoMemory : SavePictureFile(source, compressed, block->file);
    if (owned) BlockFree(source);
    // A picture that was never written must not look saved: title and folder stay as they were.
    if (outcome != SaveOutcome::kNoMemory) {
        lstrcpynA(gDoc.title, block->file, sizeof gDoc.title);
        FolderOfPath(block->file, block->ofn.nFileOffset, gShell.folder, sizeof gShell.folder);
        ShowStatusText(1, gDoc.title);
    }
    BusyCursor(false);
    return outcome == SaveOutcome::kWritten || outcome == SaveOutcome::kNotWorthCompressing ? 1 : 0;
}
