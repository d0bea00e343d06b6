// The frame's configuration texts: WindowRect, the remembered folder and the title with the scale.
#include <gtest/gtest.h>

#include "shell/frame_config.h"

TEST(WindowRect, FourFieldsPlaceTheFrame) {
    FramePlacement p = ParseWindowRect("10,20,640,480");
    EXPECT_EQ(p.x, 10);
    EXPECT_EQ(p.y, 20);
    EXPECT_EQ(p.width, 640);
    EXPECT_EQ(p.height, 480);
    p = ParseWindowRect("-8, 5,1000,700x"); // atol semantics: leading blanks, trailing junk ignored
    EXPECT_EQ(p.x, -8);
    EXPECT_EQ(p.y, 5);
    EXPECT_EQ(p.height, 700);
}

TEST(WindowRect, FewerFieldsOrNothingGiveTheDefaultPlacement) {
    for (const char *text : {"10,20,640", "", "10", "a,b"}) {
        FramePlacement p = ParseWindowRect(text);
        EXPECT_EQ(p.x, kUseDefault) << text;
        EXPECT_EQ(p.y, 0) << text;
        EXPECT_EQ(p.width, kUseDefault) << text;
        EXPECT_EQ(p.height, 0) << text;
    }
}

TEST(WindowRect, TheDefaultTextParsesToTheDefaultPlacement) {
    EXPECT_EQ(DefaultWindowRectText(), "-2147483648,0,-2147483648,0");
    FramePlacement p = ParseWindowRect(DefaultWindowRectText().c_str());
    EXPECT_EQ(p.x, kUseDefault);
    EXPECT_EQ(p.width, kUseDefault);
}

TEST(WindowRect, WrittenAsLeftTopWidthHeight) {
    EXPECT_EQ(FormatWindowRect(10, 20, 650, 500), "10,20,640,480");
    EXPECT_EQ(FormatWindowRect(-32000, -32000, -31840, -31972), "-32000,-32000,160,28");
}

TEST(WindowRect, AnInvisibleOrSizelessRectangleFallsBackToTheDefault) {
    ScreenArea screen{0, 0, 1024, 768};
    FramePlacement minimised = ParseWindowRect("-32000,-32000,160,28");
    EXPECT_EQ(UsablePlacement(minimised, screen).x, kUseDefault);
    EXPECT_EQ(UsablePlacement(ParseWindowRect("10,10,0,300"), screen).x, kUseDefault);
    EXPECT_EQ(UsablePlacement(ParseWindowRect("10,10,300,-1"), screen).x, kUseDefault);
    EXPECT_EQ(UsablePlacement(ParseWindowRect("2000,10,300,300"), screen).x, kUseDefault);
    // Partly visible stays where it was put.
    FramePlacement partly = UsablePlacement(ParseWindowRect("-100,-20,300,300"), screen);
    EXPECT_EQ(partly.x, -100);
    EXPECT_EQ(partly.y, -20);
    EXPECT_EQ(UsablePlacement(ParseWindowRect("0,0,1024,768"), screen).width, 1024);
}

TEST(FolderOfPath, KeepsTheFolderWithoutItsBackslash) {
    char folder[640] = "unchanged";
    FolderOfPath("C:\\pics\\a.bmp", 8, folder, sizeof folder);
    EXPECT_STREQ(folder, "C:\\pics");
    FolderOfPath("C:\\a.bmp", 3, folder, sizeof folder);
    EXPECT_STREQ(folder, "C:");
}

TEST(FolderOfPath, ACancelledDialogLeavesTheFolder) {
    char folder[640] = "C:\\pics";
    FolderOfPath("", 0, folder, sizeof folder);
    EXPECT_STREQ(folder, "C:\\pics");
}

TEST(FolderOfPath, NeverWritesPastTheBuffer) {
    char folder[8];
    FolderOfPath("C:\\a-long-folder\\x.bmp", 17, folder, sizeof folder);
    EXPECT_STREQ(folder, "C:\\a-lo");
}

TEST(ScaleTitle, ShowsBothPercentages) {
    EXPECT_EQ(ScaleTitle("C:\\pics\\a.bmp", 1.0f, 1.0f), "C:\\pics\\a.bmp (100% x 100%)");
    EXPECT_EQ(ScaleTitle("Zelka - ", 4.0f, 3.0f), "Zelka -  (25% x 33%)");
}

TEST(StatusTexts, SizeAndRectangleForms) {
    EXPECT_EQ(PictureSizeText(4000, 3000), "0,0 (4000 x 3000)");
    EXPECT_EQ(RectangleText(10, 20, 899, 600), "10,20 (899 x 600)");
    EXPECT_EQ(RectangleText(-3, 0, 0, 0), "-3,0 (0 x 0)");
}
