// The print-layout dialog's arithmetic: the page preview, its 1 cm limits, the rectangle that keeps the picture's
// aspect, the millimetre values shown and the conversion to printer pixels. Platform-neutral.
#pragma once

#include <cstdint>

struct PrintRect {
    int left, top, right, bottom;
};

// What the default printer reports (GetDeviceCaps HORZRES, VERTRES, LOGPIXELSX, LOGPIXELSY).
struct PrinterMetrics {
    int horzRes, vertRes, logPixelsX, logPixelsY;
};

struct PrintLayout {
    PrintRect preview; // the page's shape, in dialog client pixels
    PrintRect limits;  // the preview inset by 1 cm: minimum x, minimum y, maximum x, maximum y
};

struct Millimetres {
    int left, width, top, height;
};

// A driver that reports 0 (or less) for any metric gives no printer: every division below needs them.
bool MetricsUsable(const PrinterMetrics &m);

// The preview starts as the square (2, 2)-(b - 2, b - 2) of a client area b pixels high and is narrowed to the
// page's shape; the limits lie 1 cm inside it. Needs MetricsUsable.
PrintLayout ComputePrintLayout(int clientBottom, const PrinterMetrics &m);

// The rectangle grown, clamped to the limits and shrunk so that width / height keeps `aspect` (picture width /
// height). A rectangle empty in either direction comes out empty in both.
PrintRect FitPrintRect(PrintRect r, const PrintRect &limits, float aspect);

// The four values shown in the dialog, from the client origin (the preview's 2-pixel margin counts), truncated.
Millimetres PrintMillimetres(const PrintRect &r, const PrintLayout &layout, const PrinterMetrics &m);

// The dialog rectangle in printer pixels, for the job.
PrintRect ToPrinterPixels(const PrintRect &r, const PrintLayout &layout, const PrinterMetrics &m);

bool IsEmptyPrintRect(const PrintRect &r);

// The picture sent to the printer in bands of stored rows, so the job can look at its cancel button in between:
// band `index` of `count` covers top-down picture rows [firstRow, firstRow + rows) and lands on destination rows
// [top, top + height). Consecutive bands abut exactly.
struct PrintBand {
    int firstRow, rows;
    int top, height;
};
int PrintBandCount(int pictureWidth, int pictureHeight);
PrintBand PrintBandAt(int index, int count, int pictureHeight, const PrintRect &target);
