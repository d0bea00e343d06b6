// Page "その他": edge extraction, sharpness (normal or strong) or nothing; both operations make a new picture.
#include "adjust/edges.h"
#include "adjust/sharpen.h"
#include "adjust/sheet_pages_win.h"
#include "adjust/sheet_win.h"
#include "resource.h"

namespace {

bool ReadNothing(HWND) { return true; }

// A replacement that cannot be made leaves the target as it was (null tells the framework so).
HGLOBAL FilterOther(HWND page, HGLOBAL target, bool apply) {
    if (IsDlgButtonChecked(page, IDC_OTHER_EDGES) == BST_CHECKED) return EdgeMap(target, apply);
    if (IsDlgButtonChecked(page, IDC_OTHER_SHARPEN) == BST_CHECKED)
        return Sharpen(target, IsDlgButtonChecked(page, IDC_OTHER_STRONG) == BST_CHECKED, apply);
    return target;
}

void ShowNothing(HWND) {}

const PageOps kOps = {kPageOther, ReadNothing, FilterOther, ShowNothing, nullptr};

} // namespace

INT_PTR CALLBACK OtherDlgProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_INITDIALOG) CheckDlgButton(page, IDC_OTHER_NONE, BST_CHECKED);
    return SheetPageMessage(kOps, page, message, wParam, lParam);
}
