// The floating information window: a small borderless pop-up beside a gesture that repeats the status text.
#pragma once
#include <windows.h>

// Registers "Zelka32RubberClass" (start-up, with the other classes).
bool RegisterFloatInfoClass(HINSTANCE instance);
// The one window of that class, hidden, owned by the frame.
HWND CreateFloatInfo(HWND frame, HINSTANCE instance);
HWND FloatInfoWindow();

// The text shown (at most 79 characters; lines separated by CR LF); repaints the window.
void SetInfoText(const char *text);
// Sizes the window to the text and places it next to `rect` (view-client coordinates), and shows it; nothing
// while the floating information is switched off (menu 40009).
void PlaceInfo(RECT rect);
// Shows or hides the window where it is.
void ShowInfo(bool show);
