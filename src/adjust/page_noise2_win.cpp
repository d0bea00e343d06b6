// Page "ﾉｲｽﾞ補正２": minimum-variance averaging or the 3x3 median, chosen by two radio buttons.
#include "adjust/noise_run.h"
#include "adjust/sheet_pages_win.h"
#include "adjust/sheet_win.h"
#include "resource.h"

namespace {

bool ReadNothing(HWND) { return true; }

// With neither radio chosen the run is the smoothing with threshold 0, which keeps every pixel.
HGLOBAL FilterNoise2(HWND page, HGLOBAL target, bool apply) {
    NoiseRunSettings s;
    s.smoothing.channels = gSheet.channels;
    if (IsDlgButtonChecked(page, IDC_NOISE_MIN_VARIANCE) == BST_CHECKED) s.kind = kNoiseMinVariance;
    else if (IsDlgButtonChecked(page, IDC_NOISE_MEDIAN) == BST_CHECKED) s.kind = kNoiseMedian;
    else s.smoothing.threshold = 0;
    return NoiseRun(target, s, apply) ? target : nullptr;
}

void ShowNothing(HWND) {}

const PageOps kOps = {kPageNoise2, ReadNothing, FilterNoise2, ShowNothing, nullptr};

} // namespace

INT_PTR CALLBACK Noise2DlgProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return SheetPageMessage(kOps, page, message, wParam, lParam);
}
