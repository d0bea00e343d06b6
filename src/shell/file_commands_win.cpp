// The open command: the shared dialog block, the open dialog and the window half of the open pipeline.
#include "shell/file_commands_win.h"

#include <cstring>

#include "formats/open_picture.h"
#include "image/document_win.h"
#include "platform/host.h"
#include "shell/frame_config.h"
#include "shell/shell_win.h"

namespace {

// Made into the NUL-separated filter list in place the first time a dialog is prepared.
char gFilter[] = "DIB Bitmaps|*.bmp||";

} // namespace

void PrepareFileDialog(int kind) {
    if (kind != kDialogOpen && kind != kDialogSave) return;
    FileDialogBlock *block = gShell.fileDialog;
    if (!block) return;
    for (char *p = gFilter; *p; ++p)
        if (*p == '|') *p = '\0';
    OPENFILENAMEA &ofn = block->ofn;
    DWORD keptFilterIndex = ofn.nFilterIndex;
    memset(&ofn, 0, sizeof ofn);
    ofn.lStructSize = sizeof(OPENFILENAMEA);
    ofn.hwndOwner = gShell.frame;
    ofn.lpstrFilter = gFilter;
    ofn.nFilterIndex = kind == kDialogOpen ? 0 : keptFilterIndex;
    ofn.lpstrFile = block->file;
    ofn.nMaxFile = sizeof block->file;
    ofn.lpstrFileTitle = block->title;
    ofn.nMaxFileTitle = sizeof block->title;
    ofn.lpstrInitialDir = gShell.folder[0] ? gShell.folder : nullptr;
    ofn.lpstrDefExt = "BMP";
    if (kind == kDialogOpen) {
        block->file[0] = '\0';
        block->title[0] = '\0';
        ofn.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    } else {
        ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
    }
}

void OpenCommand(HWND frame) {
    PrepareFileDialog(kDialogOpen);
    FileDialogBlock *block = gShell.fileDialog;
    if (!block) return;
    if (GetOpenFileNameA(&block->ofn)) OpenPipeline(block->file);
    FolderOfPath(block->file, block->ofn.nFileOffset, gShell.folder, sizeof gShell.folder);
}

bool OpenPipeline(const char *path) {
    // The loader shows the busy cursor, the status texts and the messages, and makes the new picture aside: a file
    // that does not load leaves the user's picture, its undo copy and the title alone, while the status still
    // shows the path that was tried.
    OpenReport report;
    PackedDib picture = OpenPictureFile(path, &report);
    if (!picture) return false;
    ReplaceInternalImage(picture, UndoRule::kDrop);
    strncpy(gDoc.title, path, sizeof gDoc.title - 1);
    gDoc.title[sizeof gDoc.title - 1] = '\0';
    return true;
}
