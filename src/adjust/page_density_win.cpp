// Page "濃度補正(±64)" (ContDlgProc): density per channel and contrast, four edits with their scroll bars.
#include <windowsx.h>

#include "adjust/sheet_pages_win.h"
#include "adjust/sheet_win.h"
#include "adjust/tone.h"
#include "shell/picture_settings.h"
#include "resource.h"

namespace {

// A typed value may be one beyond the bars' reach.
constexpr int kDensityLimit = 65;

struct ToneControl {
    int edit, bar, reset;
    int PictureSettings::*value;
};
const ToneControl kControls[4] = {
    {IDC_DENSITY_RED, IDC_DENSITY_RED_BAR, IDC_DENSITY_RED_RESET, &PictureSettings::densityRed},
    {IDC_DENSITY_GREEN, IDC_DENSITY_GREEN_BAR, IDC_DENSITY_GREEN_RESET, &PictureSettings::densityGreen},
    {IDC_DENSITY_BLUE, IDC_DENSITY_BLUE_BAR, IDC_DENSITY_BLUE_RESET, &PictureSettings::densityBlue},
    {IDC_CONTRAST, IDC_CONTRAST_BAR, IDC_CONTRAST_RESET, &PictureSettings::contrast},
};

bool ReadTone(HWND page) {
    bool inRange = true;
    for (const ToneControl &c : kControls) {
        const int v = ReadEditNumber(page, c.edit);
        gPictureSettings.*c.value = v;
        if (v > kDensityLimit || v < -kDensityLimit) inRange = false;
    }
    if (!inRange) MessageBoxA(page, "範囲エラー", nullptr, MB_OK);
    return inRange;
}

// A bar that appears for a few milliseconds around a preview only flickers: previews show none.
HGLOBAL FilterTone(HWND, HGLOBAL target, bool apply) {
    ToneSettings s;
    s.densityRed = gPictureSettings.densityRed;
    s.densityGreen = gPictureSettings.densityGreen;
    s.densityBlue = gPictureSettings.densityBlue;
    s.contrast = gPictureSettings.contrast;
    s.channels = gSheet.channels;
    return ToneRun(target, s, apply) ? target : nullptr;
}

void ShowTone(HWND page) {
    for (const ToneControl &c : kControls) InitValueBar(page, c.edit, c.bar, -64, 64, gPictureSettings.*c.value);
}

const PageOps kOps = {kPageDensity, ReadTone, FilterTone, ShowTone, nullptr};

bool OnCommand(HWND page, int id, int code) {
    for (const ToneControl &c : kControls) {
        if (id == c.edit && code == EN_CHANGE) {
            FollowEdit(page, c.edit, c.bar, &(gPictureSettings.*c.value));
            return true;
        }
        if (id == c.reset && code == BN_CLICKED) {
            gPictureSettings.*c.value = 0;
            WriteEditNumber(page, c.edit, 0);
            return true;
        }
    }
    return false;
}

void OnHScroll(HWND page, HWND bar, int code, int thumb) {
    for (const ToneControl &c : kControls)
        if (bar == GetDlgItem(page, c.bar))
            OnValueScroll(page, bar, code, thumb, c.edit, 8, -64, 64, &(gPictureSettings.*c.value));
}

} // namespace

extern "C" INT_PTR CALLBACK ContDlgProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
    case WM_INITDIALOG:
        SheetPageMessage(kOps, page, message, wParam, lParam);
        ShowTone(page);
        return TRUE;
    case WM_COMMAND:
        if (OnCommand(page, LOWORD(wParam), HIWORD(wParam))) return TRUE;
        break;
    case WM_HSCROLL: OnHScroll(page, (HWND)lParam, LOWORD(wParam), HIWORD(wParam)); return TRUE;
    default: break;
    }
    return SheetPageMessage(kOps, page, message, wParam, lParam);
}
