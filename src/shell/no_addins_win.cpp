// The add-in host's interface for a build without the add-in host: no add-ins, the frame's default processing.
#include "addin/addin_host_win.h"

AddinHostContext gAddinContext;

void LoadAddins(HWND, const AddinHostContext &context) { gAddinContext = context; }

LRESULT CallAddinChain(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

void ClearAddinChain() {}
