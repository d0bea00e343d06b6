// WM_DROPFILES of the view: every dropped file goes through the open pipeline, and dialog 108 sits at the spot
// the user last left it, measured from the view's corner.
#include "view/drop_files_win.h"

#include <vector>

#include "image/document_win.h"
#include "resource.h"
#include "shell/file_commands_win.h"
#include "shell/picture_settings.h"
#include "shell/shell_win.h"
#include "view/drop_sequence.h"

namespace {

// Offset of dialog 108 from the view's top-left corner on the screen; it first opens at the corner itself.
POINT gConfirmOffset{0, 0};

POINT ViewCorner(HWND view) {
    POINT corner{0, 0};
    ClientToScreen(view, &corner);
    return corner;
}

INT_PTR CALLBACK ConfirmEachDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    HWND view = reinterpret_cast<HWND>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG: {
        view = reinterpret_cast<HWND>(lParam);
        SetWindowLongPtrA(dialog, DWLP_USER, (LONG_PTR)view);
        POINT corner = ViewCorner(view);
        SetWindowPos(dialog, nullptr, corner.x + gConfirmOffset.x, corner.y + gConfirmOffset.y, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER);
        return TRUE;
    }
    case WM_COMMAND: {
        int id = LOWORD(wParam);
        if (id != IDYES && id != IDNO && id != IDCANCEL) break;
        RECT r;
        GetWindowRect(dialog, &r);
        POINT corner = ViewCorner(view);
        gConfirmOffset = POINT{r.left - corner.x, r.top - corner.y};
        EndDialog(dialog, id);
        return TRUE;
    }
    }
    return FALSE;
}

DropAnswer AskOneAtATime(HWND view) {
    INT_PTR id = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_CONFIRM_EACH),
                                 GetParent(view) ? GetParent(view) : view, ConfirmEachDlgProc, (LPARAM)view);
    if (id == IDYES) return DropAnswer::kYes;
    if (id == IDNO) return DropAnswer::kNo;
    return DropAnswer::kCancel;
}

// The whole path, however long; the dialog block only keeps the first 255 characters of it.
std::vector<char> DroppedPath(HDROP drop, UINT index) {
    UINT length = DragQueryFileA(drop, index, nullptr, 0);
    std::vector<char> path(length + 1, '\0');
    DragQueryFileA(drop, index, path.data(), length + 1);
    return path;
}

} // namespace

void OnDropFiles(HWND view, HDROP drop) {
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    int last = RunDropSequence(
        (int)count,
        [&](int i) {
            std::vector<char> path = DroppedPath(drop, (UINT)i);
            OpenPipeline(path.data());
            RebuildDisplayImage();
            ResetPictureSettings();
        },
        [&] { return AskOneAtATime(view); });
    if (last >= 0 && gShell.fileDialog) {
        std::vector<char> path = DroppedPath(drop, (UINT)last);
        lstrcpynA(gShell.fileDialog->file, path.data(), sizeof gShell.fileDialog->file);
    }
    DragFinish(drop);
}
