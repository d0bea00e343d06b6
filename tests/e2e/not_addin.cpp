// A library that is not an add-in: it has three of the four entry points but no SetNextProc, so the host must
// refuse it with its warning and give it no menu.
#include <windows.h>

extern "C" {
__declspec(dllexport) HMENU WINAPI GetDllMenu(void) { return CreatePopupMenu(); }
__declspec(dllexport) const char *WINAPI GetMenuStr(void) { return "Not an add-in"; }
__declspec(dllexport) LRESULT CALLBACK DllMsgProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd, message, wParam, lParam);
}
}
