// The toolbar strip's table and rules, without drawing: the frame draws what these decide.
#include "shell/toolbar_model.h"

#include <cstring>

#include "resource.h"

namespace {

// y 2, 24 x 22 for every button: index, state, x, y, width, height, gap, kind, group, three faces, command.
const ToolButton kBuiltIn[kToolbarButtons + 1] = {
    {0, 0, 0, 2, 24, 22, 12, 0, 0, IDB_OPEN, IDB_OPEN_CHECKED, IDB_OPEN_GRAYED, IDM_FILE_OPEN},
    {1, 0, 0, 2, 24, 22, 0, 0, 0, IDB_SAVE, IDB_SAVE_CHECKED, IDB_SAVE_GRAYED, IDM_FILE_SAVE},
    {2, 0, 0, 2, 24, 22, 0, 0, 0, IDB_PRINT, IDB_PRINT_CHECKED, IDB_PRINT_GRAYED, IDM_FILE_PRINT},
    {3, 0, 0, 2, 24, 22, 12, 0, 0, IDB_COPY, IDB_COPY_CHECKED, IDB_COPY_GRAYED, IDM_EDIT_COPY},
    {4, 0, 0, 2, 24, 22, 0, 0, 0, IDB_PASTE, IDB_PASTE_CHECKED, IDB_PASTE_GRAYED, IDM_EDIT_PASTE},
    {5, kButtonChecked, 0, 2, 24, 22, 12, 1, 1, IDB_RECTANGLE, IDB_RECTANGLE_CHECKED, IDB_RECTANGLE_GRAYED,
     IDM_TOOL_RECTANGLE},
    {6, 0, 0, 2, 24, 22, 0, 1, 1, IDB_AXIS, IDB_AXIS_CHECKED, IDB_AXIS_GRAYED, IDM_TOOL_AXIS},
    {7, 0, 0, 2, 24, 22, 0, 1, 1, IDB_COLOUR_PICK, IDB_COLOUR_PICK_CHECKED, IDB_COLOUR_PICK_GRAYED,
     IDM_TOOL_COLOUR_PICK},
    {8, kButtonGrayed, 0, 2, 24, 22, 0, 1, 1, IDB_POLYGON, IDB_POLYGON_CHECKED, IDB_POLYGON_GRAYED, IDM_TOOL_POLYGON},
    {9, kButtonGrayed, 0, 2, 24, 22, 0, 1, 1, IDB_MAGIC_ROD, IDB_MAGIC_ROD_CHECKED, IDB_MAGIC_ROD_GRAYED,
     IDM_TOOL_MAGIC_ROD},
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
};

} // namespace

void SetUpToolbarTable(ToolbarTable *t) {
    memcpy(t->button, kBuiltIn, sizeof kBuiltIn);
    int32_t s = 0;
    int n = 0;
    for (; t->button[n].command != 0; ++n) {
        t->button[n].index = n;
        t->button[n].x = s + t->button[n].gap;
        s += t->button[n].gap + t->button[n].width;
    }
    t->count = n;
}

int HitTestButton(const ToolbarTable &t, int x, int y) {
    for (int i = 0; i < t.count; ++i) {
        const ToolButton &b = t.button[i];
        if (b.x <= x && x < b.x + b.width && b.y <= y && y < b.y + b.height) return i;
    }
    return -1;
}

int32_t ButtonFace(const ToolButton &b) {
    if (b.state & kButtonGrayed) return b.grayedBitmap;
    if (b.state & kButtonChecked) return b.checkedBitmap;
    return b.normalBitmap;
}

int32_t PressedFace(const ToolButton &b) { return (b.state & kButtonChecked) ? b.normalBitmap : b.checkedBitmap; }

int32_t ActivateButtonState(ToolbarTable *t, int n, uint32_t *redraw) {
    *redraw = 0;
    if (n < 0 || n >= t->count) return 0;
    ToolButton &b = t->button[n];
    if (b.kind == 0) return b.command;
    if (b.group == 0) {
        b.state = ~b.state & kButtonChecked;
        *redraw |= 1u << n;
        return 0;
    }
    if (b.state != 0) return 0;
    for (int i = 0; i < t->count; ++i) {
        if (t->button[i].group == b.group && t->button[i].state == kButtonChecked) {
            t->button[i].state = 0;
            *redraw |= 1u << i;
        }
    }
    b.state = kButtonChecked;
    *redraw |= 1u << n;
    return 0;
}

int32_t NowTool(const ToolbarTable &t) {
    for (int i = 0; i < t.count; ++i)
        if (t.button[i].group != 0 && t.button[i].state == kButtonChecked) return t.button[i].command;
    return 0;
}

void MirrorCheckState(ToolbarTable *t, int32_t command, int32_t flags, uint32_t *redraw) {
    *redraw = 0;
    if (flags & kMenuByPosition) return;
    for (int i = 0; i < t->count; ++i) {
        ToolButton &b = t->button[i];
        if (b.command != command) continue;
        if ((flags & kButtonGrayed) || b.kind != 0) {
            b.state = flags;
            *redraw |= 1u << i;
        } else {
            break; // a push button keeps its face when only the check changes
        }
    }
}

void MirrorEnableState(ToolbarTable *t, int32_t command, int32_t flags, uint32_t *redraw) {
    *redraw = 0;
    if (flags & kMenuByPosition) return;
    for (int i = 0; i < t->count; ++i) {
        ToolButton &b = t->button[i];
        if (b.command != command) continue;
        if (flags != 0) b.state |= flags;
        else b.state &= ~(kButtonGrayed | kButtonDisabled);
        *redraw |= 1u << i;
    }
}

bool ClickCopyOption(bool clickedOn, bool otherOn) {
    if (!clickedOn) return true;
    return !otherOn; // on, and the other one is on too: this one may go off; otherwise it stays on
}
