// The toolbar strip: layout, hit testing, the tool group, and mirroring menu changes.
#include <gtest/gtest.h>

#include "shell/toolbar_model.h"
#include "resource.h"

namespace {

ToolbarTable Table() {
    ToolbarTable t;
    SetUpToolbarTable(&t);
    return t;
}

int IndexOf(const ToolbarTable &t, int32_t command) {
    for (int i = 0; i < t.count; ++i)
        if (t.button[i].command == command) return i;
    return -1;
}

} // namespace

TEST(Toolbar, LayoutLeavesTheGapsBeforeGroups) {
    ToolbarTable t = Table();
    ASSERT_EQ(t.count, 10);
    const int want[10] = {12, 36, 60, 96, 120, 156, 180, 204, 228, 252};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(t.button[i].x, want[i]) << "button " << i;
    EXPECT_EQ(t.button[10].command, 0);
}

TEST(Toolbar, HitTestUsesHalfOpenButtonRectangles) {
    ToolbarTable t = Table();
    EXPECT_EQ(HitTestButton(t, 12, 2), 0);
    EXPECT_EQ(HitTestButton(t, 35, 23), 0);
    EXPECT_EQ(HitTestButton(t, 36, 2), 1);
    EXPECT_EQ(HitTestButton(t, 11, 10), -1); // the gap
    EXPECT_EQ(HitTestButton(t, 90, 10), -1); // between print and copy
    EXPECT_EQ(HitTestButton(t, 20, 1), -1);  // above
    EXPECT_EQ(HitTestButton(t, 20, 24), -1); // below
    EXPECT_EQ(HitTestButton(t, 275, 10), 9);
    EXPECT_EQ(HitTestButton(t, 276, 10), -1);
}

TEST(Toolbar, TheRectangleToolIsActiveAtStart) {
    ToolbarTable t = Table();
    EXPECT_EQ(NowTool(t), IDM_TOOL_RECTANGLE);
    EXPECT_EQ(ButtonFace(t.button[5]), 301);
    EXPECT_EQ(ButtonFace(t.button[8]), 311); // polygon starts grayed
    EXPECT_EQ(PressedFace(t.button[5]), 300);
    EXPECT_EQ(PressedFace(t.button[0]), 316);
}

TEST(Toolbar, PushButtonsPostTheirCommandAndChangeNoState) {
    ToolbarTable t = Table();
    uint32_t redraw = 99;
    EXPECT_EQ(ActivateButtonState(&t, 0, &redraw), IDM_FILE_OPEN);
    EXPECT_EQ(redraw, 0u);
    EXPECT_EQ(ActivateButtonState(&t, 2, &redraw), IDM_FILE_PRINT);
    EXPECT_EQ(NowTool(t), IDM_TOOL_RECTANGLE);
}

TEST(Toolbar, ChoosingAToolUnchecksTheOtherOnePostingNothing) {
    ToolbarTable t = Table();
    uint32_t redraw = 0;
    EXPECT_EQ(ActivateButtonState(&t, 7, &redraw), 0);
    EXPECT_EQ(NowTool(t), IDM_TOOL_COLOUR_PICK);
    EXPECT_EQ(redraw, (1u << 5) | (1u << 7));
    EXPECT_EQ(t.button[5].state, 0);
    // Pressing the active tool again changes nothing.
    EXPECT_EQ(ActivateButtonState(&t, 7, &redraw), 0);
    EXPECT_EQ(redraw, 0u);
    EXPECT_EQ(NowTool(t), IDM_TOOL_COLOUR_PICK);
}

TEST(Toolbar, IndependentCheckButtonsToggleAndLoseTheirGray) {
    ToolbarTable t = Table();
    t.button[1].kind = 1; // a check button outside any group
    t.button[1].state = kButtonGrayed;
    uint32_t redraw = 0;
    EXPECT_EQ(ActivateButtonState(&t, 1, &redraw), 0);
    EXPECT_EQ(t.button[1].state, kButtonChecked);
    ActivateButtonState(&t, 1, &redraw);
    EXPECT_EQ(t.button[1].state, 0);
}

TEST(Toolbar, IsNowToolWantsExactlyChecked) {
    ToolbarTable t = Table();
    t.button[5].state = kButtonChecked | kButtonGrayed;
    EXPECT_EQ(NowTool(t), 0);
    t.button[6].state = kButtonChecked;
    EXPECT_EQ(NowTool(t), IDM_TOOL_AXIS);
}

TEST(ToolbarMirror, CheckFollowsTheMenuOnToolButtonsOnly) {
    ToolbarTable t = Table();
    uint32_t redraw = 0;
    MirrorCheckState(&t, IDM_TOOL_AXIS, kButtonChecked, &redraw);
    EXPECT_EQ(redraw, 1u << 6);
    EXPECT_EQ(t.button[6].state, kButtonChecked);
    // A push button keeps its face when only a check mark changes...
    MirrorCheckState(&t, IDM_EDIT_COPY, kButtonChecked, &redraw);
    EXPECT_EQ(redraw, 0u);
    EXPECT_EQ(t.button[3].state, 0);
    // ...but takes a state that grays it.
    MirrorCheckState(&t, IDM_EDIT_COPY, kButtonGrayed, &redraw);
    EXPECT_EQ(t.button[3].state, kButtonGrayed);
    // By-position calls are not mirrored; unknown commands touch nothing.
    MirrorCheckState(&t, IDM_TOOL_RECTANGLE, kMenuByPosition, &redraw);
    EXPECT_EQ(t.button[5].state, kButtonChecked);
    MirrorCheckState(&t, IDM_FILE_SAVE_INTERNAL, kButtonChecked, &redraw);
    EXPECT_EQ(redraw, 0u);
}

TEST(ToolbarMirror, EnableGraysAndUngraysKeepingTheCheck) {
    ToolbarTable t = Table();
    uint32_t redraw = 0;
    int copy = IndexOf(t, IDM_EDIT_COPY);
    MirrorEnableState(&t, IDM_EDIT_COPY, kButtonGrayed, &redraw);
    EXPECT_EQ(t.button[copy].state, kButtonGrayed);
    EXPECT_EQ(redraw, 1u << copy);
    EXPECT_EQ(ButtonFace(t.button[copy]), 323);
    MirrorEnableState(&t, IDM_EDIT_COPY, 0, &redraw);
    EXPECT_EQ(t.button[copy].state, 0);
    MirrorEnableState(&t, IDM_TOOL_RECTANGLE, kButtonDisabled, &redraw);
    EXPECT_EQ(t.button[5].state, kButtonChecked | kButtonDisabled);
    EXPECT_EQ(NowTool(t), 0);
    MirrorEnableState(&t, IDM_TOOL_RECTANGLE, 0, &redraw);
    EXPECT_EQ(NowTool(t), IDM_TOOL_RECTANGLE);
    MirrorEnableState(&t, IDM_TOOL_RECTANGLE, kButtonGrayed | kMenuByPosition, &redraw);
    EXPECT_EQ(NowTool(t), IDM_TOOL_RECTANGLE);
}

TEST(CopyOptions, OneOfThePairAlwaysStaysOn) {
    EXPECT_TRUE(ClickCopyOption(false, true));
    EXPECT_TRUE(ClickCopyOption(false, false));
    EXPECT_FALSE(ClickCopyOption(true, true));
    EXPECT_TRUE(ClickCopyOption(true, false)); // the last one on cannot be turned off
}
