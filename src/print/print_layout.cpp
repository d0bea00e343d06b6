// The print-layout dialog's arithmetic, in the dialog's and the printer's pixels.
#include "print/print_layout.h"

namespace {

int Clamp(int v, int low, int high) { return v < low ? low : v > high ? high : v; }

// The fit's first and fourth steps: a line or a point is no rectangle.
bool Degenerate(PrintRect *r) {
    if (r->left == r->right) r->bottom = r->top;
    if (r->top == r->bottom) {
        r->right = r->left;
        return true;
    }
    return false;
}

int Width(const PrintRect &r) { return r.right - r.left; }
int Height(const PrintRect &r) { return r.bottom - r.top; }

} // namespace

bool MetricsUsable(const PrinterMetrics &m) {
    return m.horzRes > 0 && m.vertRes > 0 && m.logPixelsX > 0 && m.logPixelsY > 0;
}

PrintLayout ComputePrintLayout(int clientBottom, const PrinterMetrics &m) {
    const int u = 2, t = clientBottom - 2;
    PrintLayout out{};
    PrintRect &p = out.preview;
    p = {u, u, t, t};
    if (m.vertRes < m.horzRes) p.bottom = (int)((int64_t)(t - u) * m.vertRes / m.horzRes) + u;
    else p.right = (int)((int64_t)(t - u) * m.horzRes / m.vertRes) + u;
    const int cx = (int)(Width(p) * (double)m.logPixelsX / m.horzRes / 2.54);
    const int cy = (int)(Height(p) * (double)m.logPixelsY / m.vertRes / 2.54);
    out.limits = {p.left + cx, p.top + cy, p.right - cx, p.bottom - cy};
    return out;
}

PrintRect FitPrintRect(PrintRect r, const PrintRect &limits, float aspect) {
    if (Degenerate(&r)) return r;
    if ((float)Width(r) / (float)Height(r) >= aspect) r.bottom = r.top + (int)((float)Width(r) / aspect);
    else r.right = r.left + (int)(aspect * (float)Height(r));
    r.left = Clamp(r.left, limits.left, limits.right);
    r.right = Clamp(r.right, limits.left, limits.right);
    r.top = Clamp(r.top, limits.top, limits.bottom);
    r.bottom = Clamp(r.bottom, limits.top, limits.bottom);
    // An up or left drag ends here as an empty rectangle.
    if (r.bottom < r.top) r.bottom = r.top;
    if (r.right < r.left) r.right = r.left;
    if (Degenerate(&r)) return r;
    if (aspect <= (float)Width(r) / (float)Height(r)) r.right = r.left + (int)(aspect * (float)Height(r));
    else r.bottom = r.top + (int)((float)Width(r) / aspect);
    return r;
}

Millimetres PrintMillimetres(const PrintRect &r, const PrintLayout &layout, const PrinterMetrics &m) {
    const double pw = Width(layout.preview), ph = Height(layout.preview);
    Millimetres mm;
    mm.left = (int)((double)m.horzRes * r.left * 25.4 / pw / m.logPixelsX);
    mm.width = (int)((double)Width(r) * m.horzRes * 25.4 / pw / m.logPixelsX);
    mm.top = (int)((double)m.vertRes * r.top * 25.4 / ph / m.logPixelsY);
    mm.height = (int)((double)Height(r) * m.vertRes * 25.4 / ph / m.logPixelsY);
    return mm;
}

PrintRect ToPrinterPixels(const PrintRect &r, const PrintLayout &layout, const PrinterMetrics &m) {
    const int64_t pw = Width(layout.preview), ph = Height(layout.preview);
    return {(int)(r.left * (int64_t)m.horzRes / pw), (int)(r.top * (int64_t)m.vertRes / ph),
            (int)(r.right * (int64_t)m.horzRes / pw), (int)(r.bottom * (int64_t)m.vertRes / ph)};
}

bool IsEmptyPrintRect(const PrintRect &r) { return r.right <= r.left || r.bottom <= r.top; }

int PrintBandCount(int pictureWidth, int pictureHeight) {
    // About a million pixels a band: a fraction of a second each for the PostScript driver.
    const int64_t rowsPerBand = pictureWidth > 0 ? ((int64_t)1 << 20) / pictureWidth : 1;
    const int64_t rows = rowsPerBand < 1 ? 1 : rowsPerBand;
    return pictureHeight <= 0 ? 0 : (int)((pictureHeight + rows - 1) / rows);
}

PrintBand PrintBandAt(int index, int count, int pictureHeight, const PrintRect &target) {
    const int64_t h = pictureHeight, dh = Height(target);
    const int first = (int)(h * index / count), next = (int)(h * (index + 1) / count);
    const int top = target.top + (int)(dh * first / h), bottom = target.top + (int)(dh * next / h);
    return {first, next - first, top, bottom - top};
}
