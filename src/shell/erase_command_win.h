// Command 4010: erase the floating paste, or else the picture (which stays recoverable through UnDo).
#pragma once
#include <windows.h>

void EraseCommand(HWND frame);
