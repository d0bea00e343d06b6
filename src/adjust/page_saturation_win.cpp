// Page "彩度補正(±64)": the saturation value, one edit with its scroll bar.
#include "adjust/saturation.h"
#include "adjust/sheet_pages_win.h"
#include "adjust/sheet_win.h"
#include "shell/picture_settings.h"
#include "resource.h"

namespace {

int Clamped(int v, int low, int high) { return v < low ? low : v > high ? high : v; }

// Out-of-range values are clamped without a message on this page.
bool ReadSaturation(HWND page) {
    gPictureSettings.saturation = Clamped(ReadEditNumber(page, IDC_SATURATION), -64, 64);
    return true;
}

HGLOBAL FilterSaturation(HWND, HGLOBAL target, bool apply) {
    return SaturationRun(target, gPictureSettings.saturation, apply) ? target : nullptr;
}

void ShowSaturation(HWND page) {
    InitValueBar(page, IDC_SATURATION, IDC_SATURATION_BAR, -64, 64, gPictureSettings.saturation);
}

const PageOps kOps = {kPageSaturation, ReadSaturation, FilterSaturation, ShowSaturation, nullptr};

} // namespace

INT_PTR CALLBACK SaturationDlgProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
    case WM_INITDIALOG:
        SheetPageMessage(kOps, page, message, wParam, lParam);
        ShowSaturation(page);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_SATURATION && HIWORD(wParam) == EN_CHANGE) {
            FollowEdit(page, IDC_SATURATION, IDC_SATURATION_BAR, &gPictureSettings.saturation);
            return TRUE;
        }
        if (LOWORD(wParam) == IDC_SATURATION_RESET && HIWORD(wParam) == BN_CLICKED) {
            gPictureSettings.saturation = 0;
            WriteEditNumber(page, IDC_SATURATION, 0);
            return TRUE;
        }
        break;
    case WM_HSCROLL:
        if ((HWND)lParam == GetDlgItem(page, IDC_SATURATION_BAR))
            OnValueScroll(page, (HWND)lParam, LOWORD(wParam), HIWORD(wParam), IDC_SATURATION, 8, -64, 64,
                          &gPictureSettings.saturation);
        return TRUE;
    default: break;
    }
    return SheetPageMessage(kOps, page, message, wParam, lParam);
}
