// The commands that work on what the tools marked: copy and paste (4007, 4008) and the highlight/shadow
// commands (40004 to 40007).
#pragma once
#include <windows.h>

void CopyCommand(HWND frame);
void PasteCommand(HWND frame);
// id is one of IDM_LEVEL_AUTO_HIGHLIGHT, IDM_LEVEL_AUTO_SHADOW, IDM_LEVEL_HIGHLIGHT, IDM_LEVEL_SHADOW.
void LevelCommand(HWND frame, int id);
