// The entry points of LETTRA.DLL that the add-in host calls: the library entry, SetNextProc, GetDllMenu,
// GetMenuStr and DllMsgProc, which runs the add-in's two commands and hands every message on down the chain.
#include "textaddin/lettra_win.h"

#include "resource.h"

LettraState gLettra;

HWND ViewWindow() {
    if (!gLettra.context || !gLettra.context[kSlotViewWindow]) return nullptr;
    return *static_cast<HWND *>(gLettra.context[kSlotViewWindow]);
}

HGLOBAL InternalImage() {
    if (!gLettra.context || !gLettra.context[kSlotInternalImage]) return nullptr;
    return *static_cast<HGLOBAL *>(gLettra.context[kSlotInternalImage]);
}

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    gLettra.instance = instance;
    return TRUE;
}

WNDPROC WINAPI SetNextProc(WNDPROC next, void **hostContext) noexcept {
    gLettra.next = next;
    gLettra.context = hostContext;
    return next;
}

HMENU WINAPI GetDllMenu(void) noexcept {
    gLettra.menu = LoadMenuA(gLettra.instance, "IDR_MENU");
    return gLettra.menu;
}

const char *WINAPI GetMenuStr(void) noexcept { return "テキスト(&T).."; }

LRESULT CALLBACK DllMsgProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_COMMAND) {
        if (wParam == IDM_TEXT_FONT) FontCommand();
        else if (wParam == IDM_TEXT_PASTE) PasteTextCommand();
    }
    // The frame's default processing lives at the end of the chain.
    if (gLettra.next) return CallWindowProcA(gLettra.next, hwnd, message, wParam, lParam);
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

} // extern "C"
