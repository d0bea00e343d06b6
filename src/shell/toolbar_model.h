// The toolbar strip's table and rules: layout, hit testing, presses, the tool group and the menu mirrors.
#pragma once
#include <cstdint>

// Button state bits, the same values as the menu flags.
constexpr int32_t kButtonGrayed = 1;
constexpr int32_t kButtonDisabled = 2;
constexpr int32_t kButtonChecked = 8;
// A menu flag that addresses an item by position; such calls are not mirrored.
constexpr int32_t kMenuByPosition = 0x400;

// One record per button, thirteen 32-bit fields in this order.
struct ToolButton {
    int32_t index;   // position; the first record's slot holds the count once the table is set up
    int32_t state;   // kButton* bits
    int32_t x, y, width, height;
    int32_t gap;     // pixels left empty before this button
    int32_t kind;    // 0 push button, else check button
    int32_t group;   // 0 independent, 1 the tool group
    int32_t normalBitmap, checkedBitmap, grayedBitmap;
    int32_t command; // 0 ends the table
};
static_assert(sizeof(ToolButton) == 13 * 4, "thirteen words per record");

constexpr int kToolbarButtons = 10;
constexpr int kToolbarHeight = 26;

struct ToolbarTable {
    ToolButton button[kToolbarButtons + 1]; // plus the terminating record
    int count;
};

// Copies the built-in table and lays the buttons out left to right.
void SetUpToolbarTable(ToolbarTable *t);

// The first button containing the point, or -1.
int HitTestButton(const ToolbarTable &t, int x, int y);
// The face a button shows for its state: grayed, else checked, else normal.
int32_t ButtonFace(const ToolButton &b);
// The face shown while the mouse is held on a button: the other one of normal and checked.
int32_t PressedFace(const ToolButton &b);

// What a completed click on button n does. Returns the command to post (push buttons) or 0; `redraw` gets a bit
// per button whose state changed.
int32_t ActivateButtonState(ToolbarTable *t, int n, uint32_t *redraw);

// The tool-group command whose state is exactly "checked", in table order, or 0.
int32_t NowTool(const ToolbarTable &t);

// The toolbar side of a menu check or enable change; `redraw` gets a bit per button touched.
void MirrorCheckState(ToolbarTable *t, int32_t command, int32_t flags, uint32_t *redraw);
void MirrorEnableState(ToolbarTable *t, int32_t command, int32_t flags, uint32_t *redraw);

// The copy-option pair: the new state of the clicked option. One of the two always stays on.
bool ClickCopyOption(bool clickedOn, bool otherOn);
