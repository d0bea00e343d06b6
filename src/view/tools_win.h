// The tools' gestures on the image view: the rectangle selection, the rotation axis and angle, the colour
// picker, the floating paste's drag, and the threshold-colour swatch. One record holds their state.
#pragma once
#include <windows.h>

#include <cstdint>

enum DragState {
    kDragIdle = 0,
    kDragRectangle = 1,
    kDragPaste = 2,
    kDragAxis = 3,
    kDragColour = 4,
    kDragAngle = 5,
};

struct ToolState {
    int drag = kDragIdle;
    POINT anchor{};           // view point where the gesture began
    RECT rubber{};            // the rectangle in progress, or the axis line (left, top) to (right, bottom)
    RECT axis{};              // the confirmed rotation axis
    RECT second{};            // the line from the anchor to the mouse while the angle is chosen
    double angle = 0;         // radians
    POINT last{};             // client point of the last paste-drag move
    uint32_t picked = 0;      // the threshold colour, 0x00RRGGBB
    // The swatch's own drag.
    bool swatchPressed = false;
    POINT swatchPress{};
    RECT swatchRect{};
};
extern ToolState gTool;

// The view's mouse messages (left press, move, left release, right press); false for any other message.
bool OnViewMouse(HWND view, UINT message, LPARAM lParam);
// The outline the view draws for the rectangle tool: the rubber rectangle during a drag, else the selection.
RECT ToolOutline();
// Line mode: a line from (left, top) to (right, bottom) with the DC's pen. Otherwise the inverting outline of a
// non-empty rectangle (twice removes it); an empty one draws nothing and gives (-1, -1, -1, -1).
RECT DrawRubber(HDC dc, RECT r, bool lineMode);
// The selection, normalised and clamped to the picture: add-ins read it with left <= right and top <= bottom.
void SetSelection(RECT r);

// The threshold-colour swatch: paints the picked colour in a raised frame and can be dragged inside the view.
LRESULT CALLBACK SwatchWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
