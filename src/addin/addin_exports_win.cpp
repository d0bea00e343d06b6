// The core's pixel functions under the names and Windows types add-ins bind to (orben.def exports them as
// GetDibColor, SetDibColor and DibInfo; the core's own C++ functions keep those names).
#include <windows.h>

#include "image/dib.h"

static_assert(sizeof(BITMAPINFOHEADER) == sizeof(DibHeader), "add-ins read the header the core writes");

extern "C" {

DWORD WINAPI ExportGetDibColor(const void *lockedDib, int row, int column) noexcept {
    if (!lockedDib) return 0;
    return GetDibColor(lockedDib, row, column);
}

int WINAPI ExportSetDibColor(void *lockedDib, int row, int column, DWORD colour) noexcept {
    if (!lockedDib) return 0;
    return SetDibColor(lockedDib, row, column, colour);
}

int WINAPI ExportDibInfo(HGLOBAL dib, BITMAPINFOHEADER *header) noexcept {
    if (!header) return 0;
    return DibInfo(dib, reinterpret_cast<DibHeader *>(header));
}

} // extern "C"
