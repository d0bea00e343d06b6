// Dialog "テキスト貼付け" of the text add-in: one line of text, OK or ｷｬﾝｾﾙ.
#include "textaddin/lettra_win.h"

#include "resource.h"

namespace {

struct TextDialogData {
    EnteredText entered; // set by OK
};

// OK: the edit's text into a zero-filled movable block. The ANSI length counts bytes, so double-byte
// characters fit (the line length of the edit counts characters).
bool TakeText(HWND dialog, TextDialogData *data) {
    HWND edit = GetDlgItem(dialog, IDC_TEXT_EDIT);
    const int length = GetWindowTextLengthA(edit);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, (SIZE_T)length + 8);
    if (!block) return false;
    char *text = static_cast<char *>(GlobalLock(block));
    if (!text) {
        GlobalFree(block);
        return false;
    }
    GetWindowTextA(edit, text, length + 1);
    data->entered.block = block;
    data->entered.text = text;
    return true;
}

} // namespace

extern "C" INT_PTR CALLBACK TextDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        return TRUE;
    case WM_COMMAND: {
        auto *data = reinterpret_cast<TextDialogData *>(GetWindowLongPtrA(dialog, DWLP_USER));
        if (LOWORD(wParam) == IDOK) {
            // Without memory for the text there is nothing to paste: the dialog ends as if cancelled.
            EndDialog(dialog, data && TakeText(dialog, data) ? 1 : 0);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        return FALSE;
    }
    }
    return FALSE;
}

EnteredText AskForText(HWND owner) {
    TextDialogData data;
    INT_PTR result = DialogBoxParamA(gLettra.instance, MAKEINTRESOURCEA(IDD_TEXT_PASTE), owner, TextDlgProc,
                                     reinterpret_cast<LPARAM>(&data));
    if (result != 1) FreeText(data.entered);
    return data.entered;
}

void FreeText(EnteredText &entered) {
    if (!entered.block) return;
    GlobalUnlock(entered.block);
    GlobalFree(entered.block);
    entered = EnteredText{};
}
