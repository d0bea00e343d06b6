// The file commands of the frame: the open dialog and the window half of the open pipeline.
#pragma once
#include <windows.h>

enum { kDialogOpen = 1, kDialogSave = 2 };

// Fills the shared dialog block for an open (1) or save (2) dialog; other kinds do nothing.
void PrepareFileDialog(int kind);
// Command 4000: the dialog, then the open pipeline on the chosen path.
void OpenCommand(HWND frame);
// Opens a picture file into the document; a failure keeps the current picture and its undo copy.
// Returns true when the picture was replaced.
bool OpenPipeline(const char *path);
