// Reads the display image back through GetDIBits for the dialog scenarios (a stippled display image differs
// from the internal image, so the internal hash cannot tell what the view shows).
#include "probe_dialogs.h"

#include <vector>

void HashDisplayImage(HBITMAP display, ProbeDisplay *out) {
    *out = ProbeDisplay{};
    out->answered = 1;
    BITMAP bm;
    if (!display || !GetObjectA(display, sizeof bm, &bm)) return;
    out->width = bm.bmWidth;
    out->height = bm.bmHeight;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = bm.bmWidth;
    bi.bmiHeader.biHeight = bm.bmHeight;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    const size_t stride = ((size_t)bm.bmWidth * 3 + 3) & ~(size_t)3;
    std::vector<unsigned char> pixels(stride * bm.bmHeight);
    HDC screen = GetDC(nullptr);
    const int rows = GetDIBits(screen, display, 0, bm.bmHeight, pixels.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (rows != bm.bmHeight) return;
    uint64_t hash = 1469598103934665603ull;
    for (int row = 0; row < bm.bmHeight; ++row) {
        const unsigned char *p = pixels.data() + stride * row;
        for (size_t i = 0; i < (size_t)bm.bmWidth * 3; ++i) hash = (hash ^ p[i]) * 1099511628211ull;
    }
    out->pixelHash = hash;
    out->ok = 1;
}
