// Loads the add-ins named in ORBEN32.INI, links their message procedures into the frame's chain and hangs their
// menus under "拡張(&X)".
#include "addin/addin_host_win.h"

#include <string>

#include "addin/addin_paths.h"
#include "shell/shell_win.h" // kIniFile: one spelling of the settings file for every reader

AddinHostContext gAddinContext;

namespace {

// One accepted add-in; a movable block kept locked while the program runs.
struct AddinRecord {
    HMODULE library;
    GetDllMenuFn getDllMenu;
    DllMsgProcFn dllMsgProc;
    SetNextProcFn setNextProc;
    GetMenuStrFn getMenuStr;
    AddinRecord *next;
};

struct AddinState {
    DllMsgProcFn chainEntry = nullptr; // the first add-in's DllMsgProc; null = no add-ins or shutting down
    AddinRecord *head = nullptr;
    AddinRecord *tail = nullptr;
    HMENU extensionMenu = nullptr; // the "拡張(&X)" popup, owned by the frame's menu bar
    int count = 0;
};
AddinState gAddins;

const char kSection[] = "Add-in";
// The value buffer of a key: names longer than 14 characters are cut, as they always were.
const DWORD kNameBuffer = 15;

// The program's folder first, then the name as written, and never the current folder (the file dialogs move it,
// so a library of the same name there would be picked up otherwise).
HMODULE LoadAddinLibrary(const char *name) {
    char program[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, program, MAX_PATH);
    std::string programPath = (n > 0 && n < MAX_PATH) ? std::string(program, n) : std::string();
    std::vector<std::string> candidates = AddinLibraryCandidates(programPath, name, MAX_PATH);
    for (size_t i = 0; i < candidates.size(); ++i) {
        const std::string &path = candidates[i];
        HMODULE module;
        if (IsRootedLibraryName(path)) {
            // A full path: its own folder is searched for the library's dependencies.
            module = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        } else {
            module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
        }
        if (module) return module;
    }
    return nullptr;
}

void Warn(HWND frame, const char *format, const char *name) {
    char text[128];
    wsprintfA(text, format, name);
    MessageBoxA(frame, text, "WARNING", MB_OK);
}

// GetProcAddress gives a generic function pointer; going through void (*)() says the cast is meant.
template <class Fn> Fn Bind(HMODULE library, const char *name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

AddinRecord *NewRecord() {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(AddinRecord));
    if (!block) return nullptr;
    AddinRecord *record = static_cast<AddinRecord *>(GlobalLock(block));
    if (!record) GlobalFree(block);
    return record;
}

void FreeRecord(AddinRecord *record) {
    HGLOBAL block = GlobalHandle(record);
    GlobalUnlock(block);
    GlobalFree(block);
}

// Appends an accepted add-in to the chain and tells it where the host context is.
void LinkRecord(AddinRecord *record) {
    if (!gAddins.head) {
        gAddins.head = record;
        gAddins.chainEntry = record->dllMsgProc;
    } else {
        gAddins.tail->next = record;
        gAddins.tail->setNextProc(record->dllMsgProc, gAddinContext.slot);
    }
    gAddins.tail = record;
    record->setNextProc(nullptr, gAddinContext.slot);
    ++gAddins.count;
}

// The first add-in creates "拡張(&X)" before "ﾂｰﾙ(&T)"; every add-in's menu goes in at position 1, so the first
// stays on top and later ones stack up below it in reverse (first, third, second with three).
void AddMenu(HWND frame, AddinRecord *record) {
    const char *caption = record->getMenuStr();
    HMENU menu = record->getDllMenu();
    if (!gAddins.extensionMenu) {
        gAddins.extensionMenu = CreatePopupMenu();
        InsertMenuA(GetMenu(frame), 4, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(gAddins.extensionMenu),
                    "拡張(&X)");
    }
    InsertMenuA(gAddins.extensionMenu, 1, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(menu),
                caption ? caption : "");
}

// Loads, checks and links one library; a refusal shows its message and the next key goes on.
void LoadOne(HWND frame, const char *name) {
    HMODULE library = LoadAddinLibrary(name);
    if (!library) {
        Warn(frame, "%s のロードに失敗しました", name);
        return;
    }
    AddinRecord *record = NewRecord();
    if (!record) return;
    record->library = library;
    record->getDllMenu = Bind<GetDllMenuFn>(library, "GetDllMenu");
    record->getMenuStr = Bind<GetMenuStrFn>(library, "GetMenuStr");
    record->dllMsgProc = Bind<DllMsgProcFn>(library, "DllMsgProc");
    record->setNextProc = Bind<SetNextProcFn>(library, "SetNextProc");
    if (!record->getDllMenu || !record->getMenuStr || !record->dllMsgProc || !record->setNextProc) {
        Warn(frame, "%s はZelka３２のＤＬＬではありません", name);
        FreeRecord(record); // the library stays loaded, but the refused record is not leaked
        return;
    }
    LinkRecord(record);
    AddMenu(frame, record);
}

} // namespace

void LoadAddins(HWND frame, const AddinHostContext &context) {
    gAddinContext = context;
    for (int n = 1;; ++n) {
        char name[kNameBuffer];
        GetPrivateProfileStringA(kSection, AddinKeyName(n).c_str(), "", name, kNameBuffer, kIniFile);
        if (name[0] == '\0') break;
        LoadOne(frame, name);
    }
    DrawMenuBar(frame);
}

LRESULT CallAddinChain(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (gAddins.chainEntry) return gAddins.chainEntry(hwnd, message, wParam, lParam);
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

void ClearAddinChain() {
    gAddins.chainEntry = nullptr;
    for (AddinRecord *record = gAddins.head; record;) {
        AddinRecord *next = record->next;
        FreeRecord(record);
        record = next;
    }
    gAddins.head = gAddins.tail = nullptr;
    gAddins.extensionMenu = nullptr;
    gAddins.count = 0;
}

int AddinCount() { return gAddins.count; }
