// The print-layout dialog's arithmetic: page preview, 1 cm limits, the aspect-keeping fit, millimetres, bands.
#include <gtest/gtest.h>

#include "print/print_layout.h"

namespace {

const PrinterMetrics kA4Portrait{2479, 3508, 300, 300}; // cups-pdf's A4 page at 300 dpi
const PrinterMetrics kA4Landscape{3508, 2479, 300, 300};

void ExpectRect(const PrintRect &r, int l, int t, int right, int b) {
    EXPECT_EQ(r.left, l);
    EXPECT_EQ(r.top, t);
    EXPECT_EQ(r.right, right);
    EXPECT_EQ(r.bottom, b);
}

} // namespace

TEST(PrintLayout, PreviewTakesThePageShapeAndLimitsLieOneCentimetreInside) {
    // Client 244 high: the square (2, 2)-(242, 242), narrowed to 240 x 2479 / 3508 = 169.6 wide.
    PrintLayout portrait = ComputePrintLayout(244, kA4Portrait);
    ExpectRect(portrait.preview, 2, 2, 171, 242);
    ExpectRect(portrait.limits, 10, 10, 163, 234); // 1 cm = 8.05 and 8.08 preview pixels
    PrintLayout landscape = ComputePrintLayout(244, kA4Landscape);
    ExpectRect(landscape.preview, 2, 2, 242, 171);
}

TEST(PrintLayout, DriverReportingZeroIsNoPrinter) {
    EXPECT_TRUE(MetricsUsable(kA4Portrait));
    for (int i = 0; i < 4; ++i) {
        PrinterMetrics m = kA4Portrait;
        (&m.horzRes)[i] = 0;
        EXPECT_FALSE(MetricsUsable(m)) << i;
    }
}

TEST(PrintLayout, FitKeepsTheAspectInsideTheLimits) {
    const PrintRect limits{10, 10, 163, 234};
    struct Case {
        PrintRect in;
        float aspect;
    } cases[] = {
        {{10, 10, 163, 234}, 2.0f},   // the first rectangle: the limits themselves
        {{60, 90, 900, 900}, 2.0f},   // dragged far past the bottom-right margin
        {{60, 90, 900, 900}, 0.25f},  // a tall picture: height limits it
        {{20, 30, 50, 200}, 1.0f},
    };
    for (const Case &c : cases) {
        PrintRect r = FitPrintRect(c.in, limits, c.aspect);
        EXPECT_GE(r.left, limits.left);
        EXPECT_GE(r.top, limits.top);
        EXPECT_LE(r.right, limits.right);
        EXPECT_LE(r.bottom, limits.bottom);
        EXPECT_EQ(r.left, c.in.left); // the pressed corner stays
        EXPECT_EQ(r.top, c.in.top);
        ASSERT_GT(r.bottom - r.top, 0);
        const float got = (float)(r.right - r.left) / (float)(r.bottom - r.top);
        EXPECT_NEAR(got, c.aspect, c.aspect / (r.bottom - r.top) + 1.0f / (r.bottom - r.top));
    }
    // Past the margin with a 2:1 picture: the width reaches the limit, the height follows.
    ExpectRect(FitPrintRect({60, 90, 900, 900}, limits, 2.0f), 60, 90, 163, 141);
}

TEST(PrintLayout, ClickAndUpLeftDragLeaveNothing) {
    const PrintRect limits{10, 10, 163, 234};
    EXPECT_TRUE(IsEmptyPrintRect(FitPrintRect({50, 50, 50, 50}, limits, 2.0f)));
    EXPECT_TRUE(IsEmptyPrintRect(FitPrintRect({50, 50, 20, 20}, limits, 2.0f)));
    EXPECT_TRUE(IsEmptyPrintRect(FitPrintRect({50, 50, 90, 50}, limits, 2.0f))); // no height: no width either
}

TEST(PrintLayout, MillimetresAndPrinterPixelsCountFromTheClientOrigin) {
    PrintLayout layout = ComputePrintLayout(244, kA4Portrait);
    // The whole preview: 2 px of margin before it, 210 mm wide (truncated), 297 mm high.
    Millimetres mm = PrintMillimetres(layout.preview, layout, kA4Portrait);
    EXPECT_EQ(mm.left, 2);
    EXPECT_EQ(mm.width, 209);
    EXPECT_EQ(mm.top, 2);
    EXPECT_EQ(mm.height, 297);
    PrintRect device = ToPrinterPixels({60, 90, 163, 141}, layout, kA4Portrait);
    ExpectRect(device, 880, 1315, 2390, 2060); // 163 x 2479 / 169 = 2390.99
}

TEST(PrintBands, CoverEveryRowOnceAndAbut) {
    const PrintRect target{880, 1315, 2388, 2061};
    for (int h : {1, 3, 262, 3000}) {
        const int count = PrintBandCount(4000, h);
        ASSERT_GE(count, 1);
        int row = 0, top = target.top;
        for (int i = 0; i < count; ++i) {
            PrintBand b = PrintBandAt(i, count, h, target);
            EXPECT_EQ(b.firstRow, row);
            EXPECT_EQ(b.top, top);
            row += b.rows;
            top += b.height;
        }
        EXPECT_EQ(row, h);
        EXPECT_EQ(top, target.bottom);
    }
    EXPECT_EQ(PrintBandCount(4000, 3000), 12);
    EXPECT_EQ(PrintBandCount(1 << 21, 2), 2); // wider than a band: one row each
}
