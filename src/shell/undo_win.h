// The one-level undo copy, the UnDo command and the window program's side of the memory shortage policy.
#pragma once
#include <windows.h>

#include <cstddef>

// A new movable, zero-filled block with the same bytes, or null (no message).
HGLOBAL DuplicateBlock(HGLOBAL block);
// Before a change of the internal image: the undo copy becomes a copy of it, and UnDo is enabled.
void StoreUndo();
// Command 40010: the undo copy becomes the internal image (a restore, not a swap); UnDo is grayed.
void RestoreUndo();
// A locked block for the program's lifetime, or null after "グローバルメモリが足りません".
void *AllocLockedBlock(HGLOBAL *handle, size_t bytes);

// Routes the host's work allocations through the shortage policy. Reads the test switch ORBEN_TEST_FAIL_ALLOC
// ("BYTES[,COUNT[,SKIP]]", see AllocFailPlan), which makes chosen work allocations fail.
void InstallWorkMemoryPolicy();

// An operation given up for lack of memory may have released the display image: remake it from the internal
// image, so both always exist together.
void EnsureDisplayImage();
