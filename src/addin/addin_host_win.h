// The add-in host inside ORBEN.EXE: loading from ORBEN32.INI, the "拡張(&X)" menu, the message chain.
#pragma once
#include <windows.h>

#include "addin/addin_api.h"

// The record add-ins receive. LoadAddins copies the frame's slots into it; add-ins keep its address.
extern AddinHostContext gAddinContext;

// First step of the frame's WM_CREATE: takes the host context (slots 0-5 and 7 pointing into the document state),
// loads every add-in named in the Add-in section, builds the menu. Messages about failed loads go to `frame`.
void LoadAddins(HWND frame, const AddinHostContext &context);

// Passes a frame message down the chain; without add-ins this is DefWindowProcA.
LRESULT CallAddinChain(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Clears the chain entry (before the frame is created and first thing in WM_DESTROY) and frees the records.
// The libraries stay loaded: an add-in may still have code on the stack or timers pending.
void ClearAddinChain();

// How many add-ins were accepted (for diagnostics and tests).
int AddinCount();
