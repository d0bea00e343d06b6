// Commands 4001 (save) and 4005 (compressed save).
#pragma once
#include <windows.h>

// Returns 1 when done or cancelled, 0 when refused or failed.
int SaveCommand(HWND frame, bool compressed);
