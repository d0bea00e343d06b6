// The toolbar strip on the frame and the tool state it holds.
#pragma once
#include <windows.h>

void SetUpToolbar(HWND frame, HDC dc);
// which = 0 draws every button, n draws button n - 1.
void DrawButtons(HWND frame, HDC dc, int which);
// The frame's WM_LBUTTONDOWN: press, track until release, activate when released on the same button.
void PressButton(HWND frame, int x, int y);
void ActivateButton(HWND frame, HDC dc, int n);

// Menu changes with their toolbar mirror.
void MirrorCheck(HMENU menu, UINT command, UINT flags);
void MirrorEnable(HMENU menu, UINT command, UINT flags);

// View cursor and swatch visibility from the active tool.
void UpdateToolCursor();

// The active tool's command id (4030, 4031, 4035, 4033, 4034) or 0; exported by ordinal.
extern "C" int WINAPI IsNowTool() noexcept;
