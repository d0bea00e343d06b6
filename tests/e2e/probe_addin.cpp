// The test add-in the end-to-end driver registers in ORBEN32.INI: it joins the message chain as any add-in does,
// binds the picture API of ORBEN.EXE by ordinal, and answers the driver's WM_COPYDATA queries from inside the
// program (menus are per process under Wine, so only in-process code can read them).
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>

#include "addin/addin_api.h"
#include "probe_protocol.h"
#include "text_probe.h"

namespace {

struct Probe {
    int number = 0;          // from the file name: E2EPROBE<n>.DLL
    char caption[32] = "";
    HMENU menu = nullptr;
    WNDPROC next = nullptr;
    void **context = nullptr;
    ProbeBlock *block = nullptr;
};
Probe gProbe;

template <class Fn> Fn ByOrdinal(int ordinal) {
    return reinterpret_cast<Fn>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(ordinal))));
}

ProbeBlock *Block() {
    if (!gProbe.block) {
        HANDLE mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, PROBE_MAPPING_NAME);
        if (mapping) gProbe.block = static_cast<ProbeBlock *>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    }
    return gProbe.block;
}

HGLOBAL InternalImage() {
    if (!gProbe.context || !gProbe.context[kSlotInternalImage]) return nullptr;
    return *static_cast<HGLOBAL *>(gProbe.context[kSlotInternalImage]);
}

void Log(UINT message, WPARAM wParam, int passedTo) {
    ProbeBlock *block = Block();
    if (!block) return;
    ProbeLogEntry &e = block->log[block->logCount % kProbeLogSize];
    e.probe = gProbe.number;
    e.message = message;
    e.id = LOWORD(wParam);
    e.passedTo = passedTo;
    e.width = e.height = 0;
    BITMAPINFOHEADER info;
    DibInfoFn dibInfo = ByOrdinal<DibInfoFn>(kOrdinalDibInfo);
    HGLOBAL image = InternalImage();
    if (dibInfo && image && dibInfo(image, &info)) {
        e.width = info.biWidth;
        e.height = info.biHeight;
    }
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    e.qpc = now.QuadPart;
    ++block->logCount;
}

void LogText(int part, const char *text) {
    ProbeBlock *block = Block();
    if (!block) return;
    ProbeText &t = block->texts[block->textCount % kProbeTextSize];
    t.part = part;
    std::snprintf(t.text, sizeof t.text, "%s", text ? text : "");
    ++block->textCount;
}

// The status bar, subclassed to see every text the program puts there, even those that last a moment.
HWND gSpiedStatus = nullptr;
WNDPROC gStatusProc = nullptr;

LRESULT CALLBACK StatusSpy(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == SB_SETTEXTA) LogText(LOBYTE(wParam), reinterpret_cast<const char *>(lParam));
    return CallWindowProcA(gStatusProc, hwnd, message, wParam, lParam);
}

void SpyOnStatusBar(HWND frame) {
    if (gProbe.number != 1) return; // one spy is enough
    HWND status = FindWindowExA(frame, nullptr, "msctls_statusbar32", nullptr);
    if (!status || status == gSpiedStatus) return;
    gSpiedStatus = status;
    gStatusProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(status, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StatusSpy)));
}

void CopyText(char *out, size_t size, const char *text) {
    std::snprintf(out, size, "%s", text);
}

const char *CursorName(HCURSOR cursor) {
    HINSTANCE program = GetModuleHandleA(nullptr);
    static const char *names[] = {"C1CUR", "C2CUR", "C3CUR", "C4CUR", "C5CUR", "C6CUR", "C7CUR", "HANDCUR"};
    for (const char *name : names)
        if (cursor && cursor == LoadCursorA(program, name)) return name;
    if (cursor == LoadCursor(nullptr, IDC_ARROW)) return "ARROW";
    return "?";
}

void FillPicture(ProbeState &s) {
    HGLOBAL image = InternalImage();
    s.hasInternalImage = image != nullptr;
    DibInfoFn dibInfo = ByOrdinal<DibInfoFn>(kOrdinalDibInfo);
    GetDibColorFn getColour = ByOrdinal<GetDibColorFn>(kOrdinalGetDibColor);
    if (!image || !dibInfo || !getColour) return;
    s.dibInfoResult = dibInfo(image, &s.info);
    if (!s.dibInfoResult || s.info.biBitCount != 24 || s.info.biWidth < 1 || s.info.biHeight < 1) return;
    const unsigned char *bytes = static_cast<const unsigned char *>(GlobalLock(image));
    if (!bytes) return;
    const int w = s.info.biWidth, h = s.info.biHeight;
    const size_t stride = ((size_t)w * 3 + 3) & ~(size_t)3;
    const unsigned char *pixels = bytes + s.info.biSize;
    uint64_t hash = 1469598103934665603ull;
    for (int row = 0; row < h; ++row) {
        const unsigned char *p = pixels + stride * row;
        for (size_t i = 0; i < (size_t)w * 3; ++i) hash = (hash ^ p[i]) * 1099511628211ull;
    }
    s.pixelHash = hash;
    const int rows[4] = {0, 0, h - 1, h - 1}, cols[4] = {0, w - 1, 0, w - 1};
    s.cornerMatches = 1;
    for (int i = 0; i < 4; ++i) {
        s.corner[i] = getColour(bytes, rows[i], cols[i]);
        const unsigned char *p = pixels + stride * rows[i] + 3 * (size_t)cols[i];
        uint32_t direct = (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16;
        if (direct != s.corner[i]) s.cornerMatches = 0;
    }
    GlobalUnlock(image);
}

void FillState(HWND frame, ProbeState &s) {
    memset(&s, 0, sizeof s);
    s.answeredBy = gProbe.number;
    HMENU bar = GetMenu(frame);
    for (int i = 0; i < kProbeMenuCount; ++i) s.menuState[i] = (int32_t)GetMenuState(bar, kProbeMenuIds[i], MF_BYCOMMAND);
    s.menuBarCount = GetMenuItemCount(bar);
    s.extensionCount = -1;
    for (int i = 0; i < s.menuBarCount && i < 8; ++i) {
        GetMenuStringA(bar, i, s.menuBar[i], sizeof s.menuBar[i], MF_BYPOSITION);
        if (strcmp(s.menuBar[i], "拡張(&X)") == 0) {
            HMENU popup = GetSubMenu(bar, i);
            s.extensionCount = GetMenuItemCount(popup);
            for (int k = 0; k < s.extensionCount && k < 8; ++k)
                GetMenuStringA(popup, k, s.extension[k], sizeof s.extension[k], MF_BYPOSITION);
        }
    }
    IsNowToolFn isNowTool = ByOrdinal<IsNowToolFn>(kOrdinalIsNowTool);
    s.isNowTool = isNowTool ? isNowTool() : -1;
    void **c = gProbe.context;
    if (!c) return;
    FillPicture(s);
    if (c[kSlotHeader]) s.headerCopy = *static_cast<BITMAPINFOHEADER *>(c[kSlotHeader]);
    if (c[kSlotScale]) memcpy(s.scale, c[kSlotScale], sizeof s.scale);
    if (c[kSlotSelection]) s.selection = *static_cast<RECT *>(c[kSlotSelection]);
    HWND view = c[kSlotViewWindow] ? *static_cast<HWND *>(c[kSlotViewWindow]) : nullptr;
    s.viewMatches = view && GetParent(view) == frame && view == FindWindowExA(frame, nullptr, "Zelka32DispClass", nullptr);
    HBITMAP display = c[kSlotDisplayImage] ? *static_cast<HBITMAP *>(c[kSlotDisplayImage]) : nullptr;
    BITMAP bm;
    if (display && GetObjectA(display, sizeof bm, &bm)) {
        s.displayWidth = bm.bmWidth;
        s.displayHeight = bm.bmHeight;
    }
    if (view) {
        CopyText(s.viewCursor, sizeof s.viewCursor,
                 CursorName(reinterpret_cast<HCURSOR>(GetClassLongPtrA(view, GCLP_HCURSOR))));
        HWND swatch = FindWindowExA(view, nullptr, "Zelka32PaletteClass", nullptr);
        s.swatchVisible = swatch && IsWindowVisible(swatch);
        int lo = 0, hi = 0;
        GetScrollRange(view, SB_HORZ, &lo, &hi);
        s.hScrollMax = hi;
        GetScrollRange(view, SB_VERT, &lo, &hi);
        s.vScrollMax = hi;
        LONG style = GetWindowLongA(view, GWL_STYLE);
        s.hScrollShown = (style & WS_HSCROLL) != 0;
        s.vScrollShown = (style & WS_VSCROLL) != 0;
    }
}

void TimeBitmap(ProbeBlock *block) {
    block->bitmapOk = 0;
    BitmapFromDibFn toBitmap = ByOrdinal<BitmapFromDibFn>(kOrdinalBitmapFromDib);
    HGLOBAL image = InternalImage();
    HWND view = gProbe.context && gProbe.context[kSlotViewWindow] ? *static_cast<HWND *>(gProbe.context[kSlotViewWindow])
                                                                   : nullptr;
    if (!toBitmap || !image || !view) return;
    HDC dc = GetDC(view);
    LARGE_INTEGER t0, t1;
    QueryPerformanceCounter(&t0);
    HBITMAP bitmap = toBitmap(image, dc);
    QueryPerformanceCounter(&t1);
    ReleaseDC(view, dc);
    if (bitmap) {
        DeleteObject(bitmap);
        block->bitmapOk = 1;
    }
    block->bitmapTicks = t1.QuadPart - t0.QuadPart;
}

// The process's GDI objects. Wine answers GetGuiResources with 0; its handle table, like the system's, hangs off
// the process block (24-byte entries, the type in byte 14), so the live entries are counted there instead.
int32_t GdiObjectCount() {
    DWORD n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (n) return (int32_t)n;
    // The process block's address from ntdll; on x64 it holds the table's address at 0xF8.
    typedef LONG(WINAPI * QueryFn)(HANDLE, int, void *, ULONG, ULONG *);
    QueryFn query = reinterpret_cast<QueryFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    struct {
        void *reserved1;
        void *pebBaseAddress;
        void *reserved2[2];
        ULONG_PTR uniqueProcessId;
        void *reserved3;
    } basic{};
    if (!query || query(GetCurrentProcess(), 0, &basic, sizeof basic, nullptr) != 0 || !basic.pebBaseAddress) return -1;
    const unsigned char *peb = static_cast<const unsigned char *>(basic.pebBaseAddress);
    const unsigned char *table = *reinterpret_cast<const unsigned char *const *>(peb + 0xF8);
    if (!table) return -1;
    enum { kEntries = 16384, kEntry = 24 };
    MEMORY_BASIC_INFORMATION mbi;
    if (!VirtualQuery(table, &mbi, sizeof mbi) || mbi.State != MEM_COMMIT ||
        (const unsigned char *)mbi.BaseAddress + mbi.RegionSize < table + kEntries * kEntry)
        return -1;
    int32_t live = 0;
    for (int i = 0; i < kEntries; ++i)
        if (table[i * kEntry + 14]) ++live;
    return live;
}

uint32_t ToRgb(COLORREF c) { return (uint32_t)GetRValue(c) << 16 | (uint32_t)GetGValue(c) << 8 | GetBValue(c); }

void FillTools(ProbeTools &t) {
    t.gdiObjects = GdiObjectCount();
    t.userObjects = (int32_t)GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    HWND view = gProbe.context && gProbe.context[kSlotViewWindow] ? *static_cast<HWND *>(gProbe.context[kSlotViewWindow])
                                                                   : nullptr;
    if (!view) return;
    t.captureIsView = GetCapture() == view;
    t.scroll = POINT{GetScrollPos(view, SB_HORZ), GetScrollPos(view, SB_VERT)};
    HWND swatch = FindWindowExA(view, nullptr, "Zelka32PaletteClass", nullptr);
    t.swatchVisible = swatch && IsWindowVisible(swatch);
    if (swatch) {
        RECT r;
        GetWindowRect(swatch, &r);
        MapWindowPoints(nullptr, view, reinterpret_cast<POINT *>(&r), 2);
        t.swatchRect = r;
        HDC dc = GetDC(swatch);
        t.swatchColour = ToRgb(GetPixel(dc, 9, 9));
        ReleaseDC(swatch, dc);
    }
    HWND info = FindWindowA("Zelka32RubberClass", nullptr);
    if (info) {
        t.infoVisible = IsWindowVisible(info);
        GetWindowRect(info, &t.infoRect);
    }
    HDC dc = GetDC(view);
    // The view keeps its own DC with the origin at the scroll position; read in client coordinates.
    POINT origin;
    SetWindowOrgEx(dc, 0, 0, &origin);
    for (int i = 0; i < t.pointCount && i < kProbePixelPoints; ++i)
        t.pixels[i] = ToRgb(GetPixel(dc, t.points[i].x, t.points[i].y));
    SetWindowOrgEx(dc, origin.x, origin.y, nullptr);
    ReleaseDC(view, dc);
}

// Answers a query; the first probe in the chain does it, later ones see it already answered.
void Answer(HWND frame, const COPYDATASTRUCT *data) {
    ProbeBlock *block = Block();
    if (!block || !data) return;
    // The driver clears answeredBy and sets bitmapOk to -1 before it asks.
    if (data->dwData == kQueryState) {
        if (block->state.answeredBy == 0) FillState(frame, block->state);
    } else if (data->dwData == kQueryTools) {
        if (!block->tools.answered) {
            FillTools(block->tools);
            block->tools.answered = gProbe.number;
        }
    } else if (data->dwData == kQueryTimeBitmap) {
        if (block->bitmapOk == -1) TimeBitmap(block);
    } else {
        AnswerTextQuery(frame, block, data->dwData, gProbe.context);
    }
}

} // namespace

extern "C" {

__declspec(dllexport) HMENU WINAPI GetDllMenu(void) { return gProbe.menu; }

__declspec(dllexport) const char *WINAPI GetMenuStr(void) { return gProbe.caption; }

__declspec(dllexport) void WINAPI SetNextProc(WNDPROC next, void **hostContext) {
    gProbe.next = next;
    gProbe.context = hostContext;
    if (!next) {
        if (ProbeBlock *block = Block()) {
            ++block->loadedProbes;
            block->contextSlot6Null = hostContext && hostContext[kSlotUnused] == nullptr;
        }
    }
}

__declspec(dllexport) LRESULT CALLBACK DllMsgProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    SpyOnStatusBar(hwnd);
    // The frame hands WM_SETTEXT down the chain: that is how caption texts (status bar hidden) show up here.
    if (message == WM_SETTEXT && gProbe.number == 1) LogText(-1, reinterpret_cast<const char *>(lParam));
    if (message == WM_COPYDATA) Answer(hwnd, reinterpret_cast<const COPYDATASTRUCT *>(lParam));
    const bool logged = message == WM_COMMAND || message == WM_CREATE;
    if (logged) Log(message, wParam, gProbe.next ? 1 : 2);
    if (message == WM_COPYDATA) {
        // Queries end here with TRUE after every probe has had its turn.
        if (gProbe.next) gProbe.next(hwnd, message, wParam, lParam);
        return TRUE;
    }
    if (gProbe.next) return CallWindowProcA(gProbe.next, hwnd, message, wParam, lParam);
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

} // extern "C"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        char path[MAX_PATH];
        GetModuleFileNameA(instance, path, MAX_PATH);
        const char *name = strrchr(path, '\\');
        name = name ? name + 1 : path;
        // E2EPROBE<n>.DLL: the digit tells the copies apart.
        const char *digit = name + strlen("E2EPROBE");
        gProbe.number = (strlen(name) > strlen("E2EPROBE") && *digit >= '1' && *digit <= '9') ? *digit - '0' : 1;
        std::snprintf(gProbe.caption, sizeof gProbe.caption, "Probe %d", gProbe.number);
        gProbe.menu = CreatePopupMenu();
        char item[32];
        std::snprintf(item, sizeof item, "Probe item %d", gProbe.number);
        AppendMenuA(gProbe.menu, MF_STRING, kProbeItemBase + gProbe.number, item);
    }
    return TRUE;
}
