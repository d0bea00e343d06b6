// Page "ノイズ補正１" (FcusDlgProc): the selective smoothing with its threshold "輪郭濃度差", "JPEGﾓｰﾄﾞ", and
// "指先処理", which smooths around clicked points of the preview and merges the strokes when it is switched off.
#include "adjust/noise_run.h"
#include "adjust/sheet_pages_win.h"
#include "adjust/sheet_win.h"
#include "image/document_win.h"
#include "platform/host.h"
#include "shell/picture_settings.h"
#include "view/regions.h"
#include "resource.h"

namespace {

// The controls fingertip mode turns off: everything that would rebuild the preview under the strokes.
const int kStrokeLocked[] = {IDC_SHEET_UNDO, IDC_SHEET_ZOOM, IDC_SHEET_COLOURS, IDC_SHEET_PREVIEW};

int Clamped(int v, int low, int high) { return v < low ? low : v > high ? high : v; }

// Out-of-range thresholds are clamped without a message.
bool ReadThreshold(HWND page) {
    gPictureSettings.level = Clamped(ReadEditNumber(page, IDC_NOISE_THRESHOLD), 0, 255);
    return true;
}

NoiseRunSettings Settings(HWND page) {
    NoiseRunSettings s;
    s.kind = kNoiseSmoothing;
    s.smoothing.threshold = gPictureSettings.level;
    s.smoothing.jpeg = IsDlgButtonChecked(page, IDC_NOISE_JPEG) == BST_CHECKED;
    s.smoothing.channels = gSheet.channels;
    return s;
}

HGLOBAL FilterNoise1(HWND page, HGLOBAL target, bool apply) {
    return NoiseRun(target, Settings(page), apply) ? target : nullptr;
}

void ShowThreshold(HWND page) {
    gPictureSettings.level = Clamped(gPictureSettings.level, 0, 255);
    InitValueBar(page, IDC_NOISE_THRESHOLD, IDC_NOISE_THRESHOLD_BAR, 0, 255, gPictureSettings.level);
}

// One stroke: the preview smoothed in a square around the point; the picture waits for the merge.
void Fingertip(HWND page, int px, int py) {
    ReadThreshold(page);
    DibHeader h;
    if (!gSheet.preview || !DibInfo(gSheet.preview, &h) || h.biBitCount != 24) return;
    EnableWindow(page, FALSE);
    BusyCursor(true);
    if (FingertipStroke(gSheet.preview, Settings(page), px, py, FingertipRadius(gSheet.zoom.m))) {
        gSheet.ditherState = 0;
        RenderPreview(page);
        // Rendering does not rebuild the preview image, so the strokes are still there to merge.
        gSheet.strokesPending = true;
    }
    BusyCursor(false);
    EnableWindow(page, TRUE);
    InvalidateRect(page, nullptr, FALSE);
}

const PageOps kOps = {kPageNoise1, ReadThreshold, FilterNoise1, ShowThreshold, Fingertip};

// Switched off: the strokes go into the picture (without an undo copy) only when the preview still holds them
// at picture resolution; a rebuilt or reduced preview is never stamped into the picture.
void MergeStrokes(HWND page) {
    if (gSheet.strokesPending && gSheet.zoom.d == 1 && gSheet.preview && gDoc.internalImage) {
        PutPicture(gDoc.internalImage, gSheet.preview, gSheet.originX, gSheet.originY);
        gSheet.strokesPending = false;
        RunPage(kOps, page, false);
        RebuildDisplayImage();
        if (gDoc.view) InvalidateRect(gDoc.view, nullptr, FALSE);
    }
    gSheet.strokesPending = false;
}

void OnFingertipClicked(HWND page) {
    const bool on = IsDlgButtonChecked(page, IDC_NOISE_FINGERTIP) == BST_CHECKED;
    if (!on) MergeStrokes(page);
    for (int id : kStrokeLocked) EnableWindow(GetDlgItem(page, id), on ? FALSE : TRUE);
    InvalidateRect(page, nullptr, FALSE);
}

bool OnCommand(HWND page, int id, int code) {
    switch (id) {
    case IDC_NOISE_THRESHOLD:
        if (code == EN_CHANGE) FollowEdit(page, IDC_NOISE_THRESHOLD, IDC_NOISE_THRESHOLD_BAR, &gPictureSettings.level);
        return true;
    case IDC_NOISE_THRESHOLD_RESET:
        if (code == BN_CLICKED) {
            gPictureSettings.level = 0;
            WriteEditNumber(page, IDC_NOISE_THRESHOLD, 0);
        }
        return true;
    case IDC_NOISE_FINGERTIP:
        if (code == BN_CLICKED) OnFingertipClicked(page);
        return true;
    default: return false;
    }
}

} // namespace

extern "C" INT_PTR CALLBACK FcusDlgProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
    case WM_INITDIALOG:
        SheetPageMessage(kOps, page, message, wParam, lParam);
        ShowThreshold(page);
        return TRUE;
    case WM_COMMAND:
        if (OnCommand(page, LOWORD(wParam), HIWORD(wParam))) return TRUE;
        break;
    case WM_HSCROLL:
        if ((HWND)lParam == GetDlgItem(page, IDC_NOISE_THRESHOLD_BAR))
            OnValueScroll(page, (HWND)lParam, LOWORD(wParam), HIWORD(wParam), IDC_NOISE_THRESHOLD, 16, 0, 255,
                          &gPictureSettings.level);
        return TRUE;
    default: break;
    }
    return SheetPageMessage(kOps, page, message, wParam, lParam);
}
