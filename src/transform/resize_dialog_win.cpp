// ZoomDlgProc: the linked size edits, the display scale, and the resize of the internal image with its undo
// copy and progress; with its data record and the command that runs it.
#include "transform/resize_dialog_win.h"

#include <cstdio>

#include "image/document_win.h"
#include "platform/host.h"
#include "shell/undo_win.h"
#include "transform/resize.h"
#include "transform/resize_fields.h"
#include "resource.h"

namespace {

ResizeSettings gResizeSettings;

const int kFieldIds[kResizeFieldCount] = {IDC_RESIZE_WIDTH_PERCENT, IDC_RESIZE_WIDTH, IDC_RESIZE_HEIGHT,
                                          IDC_RESIZE_HEIGHT_PERCENT};

ResizeDialogData *DataOf(HWND dialog) {
    return reinterpret_cast<ResizeDialogData *>(GetWindowLongPtrA(dialog, DWLP_USER));
}

// An edit's value, or 0 when it holds no number (an empty edit, text, or one past int).
int64_t EditValue(HWND dialog, int id) {
    BOOL ok = FALSE;
    const int v = (int)GetDlgItemInt(dialog, id, &ok, TRUE);
    return ok ? v : 0;
}

void SetNumber(HWND dialog, int id, int64_t value) {
    char text[24];
    snprintf(text, sizeof text, "%lld", (long long)value);
    SetDlgItemTextA(dialog, id, text);
}

// Writes a linked edit without its change notice echoing back into the others.
void SetLinked(HWND dialog, ResizeDialogData *data, ResizeField field, int64_t value) {
    data->echo[field] = true;
    SetNumber(dialog, kFieldIds[field], value);
    data->echo[field] = false;
}

void OnInitDialog(HWND dialog, ResizeDialogData *data) {
    ResizeSettings &s = *data->settings;
    if (s.keepAspect) gDoc.scale[1] = gDoc.scale[0];
    const float zx = gDoc.scale[0], zy = gDoc.scale[1];
    SetNumber(dialog, IDC_RESIZE_THRESHOLD, s.threshold);
    SetNumber(dialog, IDC_RESIZE_WIDTH_NOW, data->width);
    SetNumber(dialog, IDC_RESIZE_HEIGHT_NOW, data->height);
    SetLinked(dialog, data, kWidthPercentField, (int64_t)(100 / zx));
    SetLinked(dialog, data, kHeightPercentField, (int64_t)(100 / zy));
    SetLinked(dialog, data, kWidthField, (int64_t)(data->width / zx));
    SetLinked(dialog, data, kHeightField, (int64_t)(data->height / zy));
    CheckDlgButton(dialog, IDC_RESIZE_KEEP_ASPECT, s.keepAspect ? BST_CHECKED : BST_UNCHECKED);
}

void OnLinkedEditChange(HWND dialog, ResizeDialogData *data, ResizeField field) {
    if (data->echo[field]) return;
    const ResizeFieldUpdate u = LinkResizeFields(field, EditValue(dialog, kFieldIds[field]), data->width,
                                                 data->height, data->settings->keepAspect);
    for (int f = 0; f < kResizeFieldCount; ++f)
        if (u.set[f]) SetLinked(dialog, data, (ResizeField)f, u.value[f]);
}

// Cancel, and the end of the display scale: the title with the scale comes back and the view repaints.
void CloseWithTitle(HWND dialog, ResizeDialogData *data, int result) {
    RestoreScaleTitle();
    if (gDoc.view) InvalidateRect(gDoc.view, nullptr, FALSE);
    data->result = result;
    EndDialog(dialog, result);
}

void OnDisplayScale(HWND dialog, ResizeDialogData *data) {
    data->settings->threshold = ClampEdgeThreshold(EditValue(dialog, IDC_RESIZE_THRESHOLD));
    const int64_t px = EditValue(dialog, IDC_RESIZE_WIDTH_PERCENT), py = EditValue(dialog, IDC_RESIZE_HEIGHT_PERCENT);
    if (px > 0) gDoc.scale[0] = DisplayDivisorFor(px);
    if (py > 0) gDoc.scale[1] = DisplayDivisorFor(py);
    CloseWithTitle(dialog, data, IDOK);
}

// The internal image becomes the resampled picture. The old one is freed only once the result exists, so a
// resize that runs out of memory keeps the picture (and its display image comes back).
void ResizeInternalImage(int width, int height, int threshold) {
    StoreUndo();
    PackedDib resized = ResizePicture(gDoc.internalImage, width, height, threshold);
    if (resized) {
        ReplaceInternalImage(resized, UndoRule::kKeep);
        gDoc.scale[0] = gDoc.scale[1] = 1.0f;
        RestoreScaleTitle();
        RebuildDisplayImage();
        // The rebuild wrote the size where the title was when the status bar is hidden: the next paint puts the
        // title with the scale back.
        gDoc.titleRepaint = true;
        if (gDoc.view) InvalidateRect(gDoc.view, nullptr, FALSE);
    } else {
        RestoreScaleTitle();
        EnsureDisplayImage();
    }
}

void OnResizeInternal(HWND dialog, ResizeDialogData *data) {
    const int threshold = ClampEdgeThreshold(EditValue(dialog, IDC_RESIZE_THRESHOLD));
    const int64_t px = EditValue(dialog, IDC_RESIZE_WIDTH_PERCENT), py = EditValue(dialog, IDC_RESIZE_HEIGHT_PERCENT);
    const int64_t width = EditValue(dialog, IDC_RESIZE_WIDTH), height = EditValue(dialog, IDC_RESIZE_HEIGHT);
    // Zero, negative or oversized values keep the dialog open for another try.
    if (!ResizeRequestAccepted(px, py, width, height)) return;
    data->settings->threshold = threshold;
    BusyCursor(true);
    data->result = IDC_RESIZE_INTERNAL;
    EndDialog(dialog, IDC_RESIZE_INTERNAL);
    ResizeInternalImage((int)width, (int)height, threshold);
    BusyCursor(false);
}

INT_PTR OnCommand(HWND dialog, int id, int code) {
    ResizeDialogData *data = DataOf(dialog);
    if (!data) return FALSE;
    switch (id) {
    case IDC_RESIZE_WIDTH_PERCENT:
    case IDC_RESIZE_WIDTH:
    case IDC_RESIZE_HEIGHT:
    case IDC_RESIZE_HEIGHT_PERCENT:
        if (code == EN_CHANGE) {
            for (int f = 0; f < kResizeFieldCount; ++f)
                if (kFieldIds[f] == id) OnLinkedEditChange(dialog, data, (ResizeField)f);
        }
        return TRUE;
    case IDC_RESIZE_KEEP_ASPECT:
        data->settings->keepAspect = IsDlgButtonChecked(dialog, IDC_RESIZE_KEEP_ASPECT) == BST_CHECKED;
        return TRUE;
    case IDOK: OnDisplayScale(dialog, data); return TRUE;
    case IDC_RESIZE_INTERNAL: OnResizeInternal(dialog, data); return TRUE;
    case IDCANCEL: CloseWithTitle(dialog, data, IDCANCEL); return TRUE;
    default: return FALSE;
    }
}

// A caller that passes no record (an add-in running the exported procedure) works on the run's settings.
ResizeDialogData gDefaultData;

ResizeDialogData *RecordFor(LPARAM lParam) {
    if (lParam) return reinterpret_cast<ResizeDialogData *>(lParam);
    gDefaultData = ResizeDialogData{};
    gDefaultData.settings = &gResizeSettings;
    gDefaultData.width = gDoc.header.biWidth;
    gDefaultData.height = gDoc.header.biHeight;
    return &gDefaultData;
}

} // namespace

INT_PTR CALLBACK ZoomDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
    case WM_INITDIALOG: {
        ResizeDialogData *data = RecordFor(lParam);
        if (!data->settings) data->settings = &gResizeSettings;
        SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(data));
        OnInitDialog(dialog, data);
        return TRUE;
    }
    case WM_COMMAND: return OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
    default: return FALSE;
    }
}

int ResizeCommand(HWND frame) {
    DibHeader h;
    if (!DibInfo(gDoc.internalImage, &h)) return 0;
    ResizeDialogData data;
    data.settings = &gResizeSettings;
    data.width = h.biWidth;
    data.height = h.biHeight;
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_RESIZE), frame, ZoomDlgProc,
                    reinterpret_cast<LPARAM>(&data));
    return data.result;
}
