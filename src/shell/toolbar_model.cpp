// The toolbar strip's table and rules, without drawing: the frame draws what these decide.
#include "shell/toolbar_model.h"

#include <cstring>

namespace {

// y 2, 24 x 22 for every button.
const ToolButton kBuiltIn[kToolbarButtons + 1] = {
    {0, 0, 0, 2, 24, 22, 12, 0, 0, 315, 316, 317, 4000},
    {1, 0, 0, 2, 24, 22, 0, 0, 0, 318, 319, 320, 4001},
    {2, 0, 0, 2, 24, 22, 0, 0, 0, 327, 328, 329, 4022},
    {3, 0, 0, 2, 24, 22, 12, 0, 0, 321, 322, 323, 4007},
    {4, 0, 0, 2, 24, 22, 0, 0, 0, 324, 325, 326, 4008},
    {5, kButtonChecked, 0, 2, 24, 22, 12, 1, 1, 300, 301, 302, 4030},
    {6, 0, 0, 2, 24, 22, 0, 1, 1, 303, 304, 305, 4031},
    {7, 0, 0, 2, 24, 22, 0, 1, 1, 306, 307, 308, 4035},
    {8, kButtonGrayed, 0, 2, 24, 22, 0, 1, 1, 309, 310, 311, 4033},
    {9, kButtonGrayed, 0, 2, 24, 22, 0, 1, 1, 312, 313, 314, 4034},
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
