// The sheet's page table: tab order, templates, procedures, and the one title the sheet gives.
#include "adjust/sheet_pages_win.h"

#include "resource.h"

const SheetPageEntry kSheetPages[kSheetPageCount] = {
    {IDD_PAGE_NOISE1, FcusDlgProc, nullptr},
    {IDD_PAGE_NOISE2, Noise2DlgProc, nullptr},
    {IDD_PAGE_SATURATION, SaturationDlgProc, "彩度補正(±64)"},
    {IDD_PAGE_DENSITY, ContDlgProc, nullptr},
    {IDD_PAGE_OTHER, OtherDlgProc, nullptr},
};
