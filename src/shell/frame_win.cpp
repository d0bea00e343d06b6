// The program's entry and its frame window: classes, configuration, child windows, layout, paint and teardown.
#include "shell/shell_win.h"

#include <commctrl.h>

#include <cstring>

#include "addin/addin_host_win.h"
#include "image/dib_gdi_win.h"
#include "image/document_win.h"
#include "platform/host.h"
#include "platform/host_win.h"
#include "platform/scoped_win.h"
#include "shell/commands_win.h"
#include "shell/frame_config.h"
#include "shell/toolbar_model.h"
#include "shell/toolbar_win.h"
#include "shell/undo_win.h"
#include "view/float_info_win.h"
#include "view/tools_win.h"
#include "view/view_window_win.h"
#include "resource.h"

ShellState gShell;

namespace {

constexpr const char *kFrameClass = "Zelka32Class";
constexpr const char *kViewClass = "Zelka32DispClass";
constexpr const char *kSwatchClass = "Zelka32PaletteClass";
constexpr const char *kUiFontFace = "ＭＳ Ｐゴシック";
constexpr int kStatusPart0Right = 200;
constexpr int kStatusRightMargin = 32;

void LoadCursors(HINSTANCE instance) {
    gShell.handCursor = LoadCursorA(instance, "HANDCUR");
    gShell.c7Cursor = LoadCursorA(instance, "C7CUR");
    static const char *const kToolCursors[6] = {"C1CUR", "C2CUR", "C3CUR", "C4CUR", "C5CUR", "C6CUR"};
    for (int i = 0; i < 6; ++i) gShell.toolCursor[i] = LoadCursorA(instance, kToolCursors[i]);
}

bool RegisterClasses(HINSTANCE instance) {
    HICON icon = LoadIconA(instance, "CANVEXIC");
    WNDCLASSA frame{};
    frame.style = CS_BYTEALIGNCLIENT;
    frame.lpfnWndProc = BLDMainWndProc;
    frame.hInstance = instance;
    frame.hIcon = icon;
    frame.hCursor = LoadCursor(nullptr, IDC_ARROW);
    frame.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    frame.lpszMenuName = "CANVEX";
    frame.lpszClassName = kFrameClass;
    if (!RegisterClassA(&frame)) return false;

    WNDCLASSA view{};
    view.style = CS_BYTEALIGNCLIENT | CS_OWNDC;
    view.lpfnWndProc = DispWndProc;
    view.hInstance = instance;
    view.hIcon = icon;
    view.hCursor = gShell.defaultViewCursor = LoadCursor(nullptr, IDC_ARROW);
    view.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    view.lpszClassName = kViewClass;
    if (!RegisterClassA(&view)) return false;

    WNDCLASSA swatch{};
    swatch.style = CS_BYTEALIGNCLIENT | CS_PARENTDC;
    swatch.lpfnWndProc = SwatchWndProc;
    swatch.hInstance = instance;
    swatch.hCursor = gShell.handCursor;
    swatch.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    swatch.lpszClassName = kSwatchClass;
    if (!RegisterClassA(&swatch)) return false;
    return RegisterFloatInfoClass(instance);
}

// The face may be missing; with the ANSI charset the font mapper need not pick a Japanese face, so ask again for
// a Shift-JIS one.
HFONT CreateUiFont() {
    HFONT font = CreateFontA(-10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, kUiFontFace);
    int charset = 0;
    char face[LF_FACESIZE] = "";
    {
        WindowDc dc(nullptr);
        SelectedObject selected(dc, font);
        charset = GetTextCharset(dc);
        GetTextFaceA(dc, sizeof face, face);
    }
    if (strcmp(face, kUiFontFace) != 0 && charset != SHIFTJIS_CHARSET) {
        HFONT japanese = CreateFontA(-10, 0, 0, 0, 0, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0, 0, 0, kUiFontFace);
        if (japanese) {
            DeleteObject(font);
            font = japanese;
        }
    }
    return font;
}

FramePlacement ReadPlacement() {
    char rect[40];
    GetPrivateProfileStringA("CONFIG", "WindowRect", DefaultWindowRectText().c_str(), rect, sizeof rect, kIniFile);
    GetPrivateProfileStringA("CONFIG", "Path", "", gShell.folder, sizeof gShell.folder, kIniFile);
    ScreenArea screen{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                      GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    return UsablePlacement(ParseWindowRect(rect), screen);
}

void WritePlacement(HWND frame) {
    RECT r;
    GetWindowRect(frame, &r);
    // Closed while minimised, the window rectangle is the icon's far off-screen; keep the restored one instead.
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    if (IsIconic(frame) && GetWindowPlacement(frame, &wp)) r = wp.rcNormalPosition;
    WritePrivateProfileStringA("CONFIG", "WindowRect", FormatWindowRect(r.left, r.top, r.right, r.bottom).c_str(),
                               kIniFile);
    WritePrivateProfileStringA("CONFIG", "Path", gShell.folder, kIniFile);
}

void CreateLevelPopups() {
    static const char *const kTexts[2][3] = {
        {"実画面ﾊｲﾗｲﾄ", "実画面ｼｬﾄﾞｳ", "実画面ﾋｽﾄｸﾞﾗﾑ平均"},
        {"ﾌﾟﾚﾋﾞｭｰ画面ﾊｲﾗｲﾄ", "ﾌﾟﾚﾋﾞｭｰ画面ｼｬﾄﾞｳ", "ﾌﾟﾚﾋﾞｭｰ画面ﾋｽﾄｸﾞﾗﾑ平均"},
    };
    for (int i = 0; i < 2; ++i) {
        gShell.levelPopup[i] = CreatePopupMenu();
        for (int j = 0; j < 3; ++j)
            AppendMenuA(gShell.levelPopup[i], MF_STRING, IDM_POPUP_HIGHLIGHT + j, kTexts[i][j]);
    }
}

// The slots add-ins read: each points at the live field of the document state.
AddinHostContext MakeHostContext() {
    AddinHostContext context{};
    context.slot[kSlotInternalImage] = &gDoc.internalImage;
    context.slot[kSlotDisplayImage] = &gDoc.displayImage;
    context.slot[kSlotScale] = gDoc.scale;
    context.slot[kSlotViewWindow] = &gDoc.view;
    context.slot[kSlotClipboardOwner] = &gDoc.clipboardOwner;
    context.slot[kSlotSelection] = &gDoc.selection;
    context.slot[kSlotHeader] = &gDoc.header;
    return context;
}

// Frame WM_CREATE: add-ins, toolbar, screen capabilities, palette, dialog block, default check marks.
LRESULT OnCreate(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    gShell.frame = hwnd;
    gHostWindows.frame = hwnd;
    LoadAddins(hwnd, MakeHostContext());
    {
        WindowDc dc(hwnd);
        SetUpToolbar(hwnd, dc);
        // Only "is this a 256-colour palette display" is ever asked; 2^BITSPIXEL would overflow on 32-bit displays.
        gDoc.paletteDevice = GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES) == 8 &&
                             (GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE);
    }
    if (!AllocatePaletteBuffer()) {
        MessageBoxA(hwnd, "パレット情報用のメモリを取得できません。", nullptr, MB_OK);
        return -1;
    }
    HPALETTE first = MakeRangePalette(255, 255, 255, 0, 0, 0);
    if (!first) {
        MessageBoxA(hwnd, "CreatePalette()関数でエラーが発生しました。", nullptr, MB_OK);
        return -1;
    }
    ReplaceDisplayPalette(first);
    gShell.fileDialog = static_cast<FileDialogBlock *>(AllocLockedBlock(&gShell.fileDialogHandle, sizeof(FileDialogBlock)));
    if (!gShell.fileDialog) return -1;
    HMENU menu = GetMenu(hwnd);
    MirrorCheck(menu, IDM_FILE_SAVE_INTERNAL, MF_CHECKED);
    MirrorCheck(menu, IDM_FILE_SAVE_DISPLAY, MF_UNCHECKED);
    MirrorCheck(menu, IDM_EDIT_COPY_DISPLAY, MF_CHECKED);
    MirrorCheck(menu, IDM_EDIT_COPY_INTERNAL, MF_CHECKED);
    return CallAddinChain(hwnd, WM_CREATE, wParam, lParam);
}

void OnDestroy(HWND hwnd) {
    ClearAddinChain();
    WritePlacement(hwnd);
    if (gShell.fileDialogHandle) {
        GlobalUnlock(gShell.fileDialogHandle);
        GlobalFree(gShell.fileDialogHandle);
        gShell.fileDialogHandle = nullptr;
        gShell.fileDialog = nullptr;
    }
    ReleaseDocument();
    FreePaletteBuffer();
    if (gShell.handCursor) DestroyCursor(gShell.handCursor);
    gShell.handCursor = nullptr;
    PostQuitMessage(0);
    for (HCURSOR &c : gShell.toolCursor) {
        if (c) DestroyCursor(c);
        c = nullptr;
    }
}

void OnSize(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    InvalidateRect(hwnd, nullptr, FALSE);
    if (IsStatusBarShown()) {
        SendMessageA(gHostWindows.status, WM_SIZE, wParam, lParam);
        SetStatusParts(hwnd);
    }
    RECT client;
    GetClientRect(hwnd, &client);
    int statusHeight = 0;
    if (IsStatusBarShown()) {
        RECT s;
        GetClientRect(gHostWindows.status, &s);
        statusHeight = s.bottom;
    }
    if (gDoc.view) {
        int height = client.bottom - statusHeight - kToolbarHeight;
        SetWindowPos(gDoc.view, nullptr, 0, kToolbarHeight, client.right, height > 0 ? height : 0,
                     SWP_NOZORDER | SWP_SHOWWINDOW);
    }
}

void OnPaint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    {
        SelectedObject font(dc, gShell.uiFont);
        DrawButtons(hwnd, dc, 0);
    }
    EndPaint(hwnd, &ps);
}

} // namespace

void SetStatusParts(HWND frame) {
    if (!gHostWindows.status) return;
    RECT client;
    GetClientRect(frame, &client);
    int edges[2] = {kStatusPart0Right, client.right - kStatusRightMargin};
    SendMessageA(gHostWindows.status, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(edges));
}

void CreateStatusBar(HWND frame) {
    gHostWindows.status = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, frame, nullptr,
                                          gShell.instance, nullptr);
    SetStatusParts(frame);
}

LRESULT CALLBACK BLDMainWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
    case WM_CREATE: return OnCreate(hwnd, wParam, lParam);
    case WM_DESTROY: OnDestroy(hwnd); return 0;
    case WM_SIZE: OnSize(hwnd, wParam, lParam); return 0;
    case WM_PAINT: OnPaint(hwnd); return 0;
    case WM_LBUTTONDOWN: PressButton(hwnd, (short)LOWORD(lParam), (short)HIWORD(lParam)); return 0;
    case WM_KEYDOWN: OnFrameKeyDown(hwnd, wParam); return 0;
    case WM_KEYUP: OnFrameKeyUp(hwnd, wParam); return 0;
    case WM_TIMER: OnFrameTimer(hwnd, wParam); return 0;
    case WM_COMMAND:
        if (!OnFrameCommand(hwnd, LOWORD(wParam))) return 0;
        break;
    }
    return CallAddinChain(hwnd, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR, int show) {
    gShell.instance = instance;
    InstallWorkMemoryPolicy();
    LoadCursors(instance);
    INITCOMMONCONTROLSEX icc{};
    icc.dwSize = sizeof icc;
    icc.dwICC = ICC_BAR_CLASSES | ICC_PROGRESS_CLASS;
    InitCommonControlsEx(&icc);
    gShell.defaultViewCursor = LoadCursor(nullptr, IDC_ARROW);
    if (!previous && !RegisterClasses(instance)) return 0;
    gShell.uiFont = CreateUiFont();
    FramePlacement p = ReadPlacement();

    ClearAddinChain();
    HWND frame = CreateWindowExA(0, kFrameClass, kFrameCaption,
                                 WS_CLIPCHILDREN | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, p.x,
                                 p.y, p.width, p.height, nullptr, nullptr, instance, nullptr);
    if (!frame) return 0;
    if (gHostWindows.statusShown) CreateStatusBar(frame);
    else CheckMenuItem(GetMenu(frame), IDM_VIEW_HIDE_STATUS, MF_CHECKED);
    if (gDoc.floatInfoHidden) CheckMenuItem(GetMenu(frame), IDM_VIEW_HIDE_FLOAT_INFO, MF_CHECKED);
    RECT client{};
    GetClientRect(frame, &client);
    gDoc.view = CreateWindowExA(0, kViewClass, nullptr,
                                WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_BORDER | WS_VSCROLL |
                                    WS_HSCROLL,
                                0, client.bottom - 26, client.right, 100, frame, nullptr, instance, nullptr);
    gShell.swatch = CreateWindowExA(0, kSwatchClass, nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER, 0, 0, 20, 20,
                                    gDoc.view, nullptr, instance, nullptr);
    CreateFloatInfo(frame, instance);
    CreateLevelPopups();
    DragAcceptFiles(gDoc.view, TRUE);
    ShowWindow(frame, show);
    UpdateWindow(frame);
    ShowWindow(gShell.swatch, SW_HIDE);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return (int)msg.wParam;
}
