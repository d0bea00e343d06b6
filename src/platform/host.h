// The services the core asks of its host (the window program, orbentool, or a test): messages, status, progress.
#pragma once
#include <cstddef>

#include "platform/block.h"

// A modal message with a fixed text. caption == nullptr: the system's default caption; "" an empty one.
void ShowMessage(const char *text, const char *caption);

// Status bar part 0 (coordinates, sizes, activity) or 1 (the title); with the status bar hidden, the frame caption.
void ShowStatusText(int part, const char *text);
bool IsStatusBarShown();

// The progress bar inside the status bar; only called while the status bar is shown.
void BeginProgress();
void SetProgress(int percent);
void EndProgress();

// Writes the frame title with the display scale, "%s (%d%% x %d%%)", as status part 1 (or the caption): after a
// progress text, a scale change or the title timer. The one routine that writes it.
void RestoreScaleTitle();

// The busy cursor: one on, then one off; not nestable.
void BusyCursor(bool on);

// A large working allocation; on shortage the host may release the display image and the undo copy first.
PackedDib AllocWorkBlock(size_t bytes);
