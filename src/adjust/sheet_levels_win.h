// The level operations of every page, from the histogram panel's popup: highlight, shadow and histogram average
// on the preview or on the real picture.
#pragma once
#include <windows.h>

// Command 1014 "hilight", 1015 "shadow" or 1016 "averager" on the target the level target names now.
void PageLevelCommand(HWND page, int id);
