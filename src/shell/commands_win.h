// The frame's command dispatcher, keys and title timer.
#pragma once
#include <windows.h>

// Handles one WM_COMMAND id; returns false when the command must not be forwarded to the add-in chain.
bool OnFrameCommand(HWND frame, int id);
void OnFrameKeyDown(HWND frame, WPARAM key);
void OnFrameKeyUp(HWND frame, WPARAM key);
void OnFrameTimer(HWND frame, UINT_PTR id);
