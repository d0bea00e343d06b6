// BLDMainWndProc's command dispatcher: option check marks, view options, selection commands, keys and the timer.
#include "shell/commands_win.h"

#include <utility>

#include "image/document_win.h"
#include "platform/host.h"
#include "platform/host_win.h"
#include "platform/scoped_win.h"
#include "print/print_win.h"
#include "shell/erase_command_win.h"
#include "shell/file_commands_win.h"
#include "shell/frame_config.h"
#include "shell/rotate_commands_win.h"
#include "shell/save_commands_win.h"
#include "shell/selection_keys.h"
#include "shell/shell_win.h"
#include "shell/toolbar_model.h"
#include "shell/tool_commands_win.h"
#include "shell/toolbar_win.h"
#include "shell/undo_win.h"
#include "shell/view_options.h"
#include "image/clipboard_win.h"
#include "view/view_geometry.h"
#include "view/view_window_win.h"
#include "resource.h"

namespace {

ScopedBitmap gCaretBitmap; // the view's caret shape while it exists

bool IsChecked(HMENU menu, UINT id) { return (GetMenuState(menu, id, MF_BYCOMMAND) & MF_CHECKED) != 0; }

void SetCheck(HMENU menu, UINT id, bool on) { MirrorCheck(menu, id, on ? MF_CHECKED : MF_UNCHECKED); }

void ClearSelectionAndRepaint() {
    gDoc.selection = {0, 0, 0, 0};
    if (gDoc.view) InvalidateRect(gDoc.view, nullptr, FALSE);
}

// 3999: the item is checked while the status bar is hidden.
void ToggleStatusBar(HWND frame) {
    HMENU menu = GetMenu(frame);
    bool show = IsChecked(menu, IDM_VIEW_HIDE_STATUS);
    SetCheck(menu, IDM_VIEW_HIDE_STATUS, !show);
    gHostWindows.statusShown = show;
    if (show) {
        CreateStatusBar(frame);
        SetWindowTextA(frame, kFrameCaption);
        ShowStatusText(1, gDoc.title);
    } else {
        EndProgress();
        if (gHostWindows.status) DestroyWindow(gHostWindows.status);
        gHostWindows.status = nullptr;
        SetWindowTextA(frame, gDoc.title);
    }
    PostMessageA(frame, WM_SIZE, 0, 0);
}

// The menu's check marks are the state of the two scale options.
ViewOptions ReadViewOptions(HMENU menu) {
    ViewOptions v;
    v.autoReduce = IsChecked(menu, IDM_VIEW_AUTO_REDUCE);
    v.fullSize = IsChecked(menu, IDM_VIEW_FULL_SIZE);
    v.scaleX = gDoc.scale[0];
    v.scaleY = gDoc.scale[1];
    return v;
}

void ApplyViewOptions(HMENU menu, const ViewOptions &v) {
    SetCheck(menu, IDM_VIEW_AUTO_REDUCE, v.autoReduce);
    SetCheck(menu, IDM_VIEW_FULL_SIZE, v.fullSize);
    gDoc.autoReduce = v.autoReduce;
    gDoc.scale[0] = v.scaleX;
    gDoc.scale[1] = v.scaleY;
    if (v.scaleChanged) gDoc.titleRepaint = true;
    ClearSelectionAndRepaint();
}

void ToggleAutoReduce(HWND frame) {
    HMENU menu = GetMenu(frame);
    ViewOptions v = ReadViewOptions(menu);
    ClickAutoReduce(&v);
    ApplyViewOptions(menu, v);
}

void ToggleFullSize(HWND frame) {
    HMENU menu = GetMenu(frame);
    ViewOptions v = ReadViewOptions(menu);
    ClickFullSize(&v);
    ApplyViewOptions(menu, v);
}

void SelectAll() {
    if (gDoc.displayImage)
        gDoc.selection = {0, 0, ScaledExtent(gDoc.header.biWidth, gDoc.scale[0]),
                          ScaledExtent(gDoc.header.biHeight, gDoc.scale[1])};
    if (gDoc.view) InvalidateRect(gDoc.view, nullptr, FALSE);
}

// 4025 / 4026: one of the two copy sources always stays chosen.
void ClickCopySource(HWND frame, UINT id) {
    bool &mine = id == IDM_EDIT_COPY_INTERNAL ? gDoc.copyInternal : gDoc.copyDisplay;
    bool other = id == IDM_EDIT_COPY_INTERNAL ? gDoc.copyDisplay : gDoc.copyInternal;
    bool next = ClickCopyOption(mine, other);
    if (next == mine) return;
    mine = next;
    SetCheck(GetMenu(frame), id, next);
}

// 4028: a 64 x 32 caret with a white diagonal on black.
void ShowDiagonalCaret() {
    if (!gDoc.view) return;
    ScopedBitmap bitmap(CreateBitmap(64, 32, 1, 1, nullptr));
    if (!bitmap) return;
    {
        MemoryDc memory(nullptr);
        SelectedObject selected(memory, bitmap);
        PatBlt(memory, 0, 0, 64, 32, BLACKNESS);
        SelectedObject pen(memory, GetStockObject(WHITE_PEN));
        MoveToEx(memory, 0, 0, nullptr);
        LineTo(memory, 63, 31);
    }
    if (!CreateCaret(gDoc.view, bitmap, 0, 0)) return;
    // The caret uses the bitmap until it is destroyed; keep it until then.
    gCaretBitmap = std::move(bitmap);
    SetCaretBlinkTime(200);
    SetCaretPos(0, 0);
    ShowCaret(gDoc.view);
}

void DestroyDiagonalCaret() {
    DestroyCaret();
    gCaretBitmap.reset();
}

bool IsArrow(WPARAM key) { return key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN; }

ArrowKey ToArrow(WPARAM key) {
    switch (key) {
    case VK_LEFT: return kArrowLeft;
    case VK_UP: return kArrowUp;
    case VK_RIGHT: return kArrowRight;
    default: return kArrowDown;
    }
}

void ScrollByKey(WPARAM key) {
    if (!gDoc.view) return;
    switch (key) {
    case VK_LEFT: SendMessageA(gDoc.view, WM_HSCROLL, SB_LINELEFT, 0); break;
    case VK_RIGHT: SendMessageA(gDoc.view, WM_HSCROLL, SB_LINERIGHT, 0); break;
    case VK_UP: SendMessageA(gDoc.view, WM_VSCROLL, SB_LINEUP, 0); break;
    case VK_DOWN: SendMessageA(gDoc.view, WM_VSCROLL, SB_LINEDOWN, 0); break;
    }
}

void MovePasteByKey(ArrowChange c) {
    if (c.dx == 0 && c.dy == 0) return; // a resize does not apply to a paste
    gDoc.titleNeedsRefresh = true;
    ReplaceFloatingPaste(gDoc.paste.dib, gDoc.paste.bitmap, gDoc.paste.x + c.dx, gDoc.paste.y + c.dy);
    InvalidateRect(gDoc.view, nullptr, FALSE);
    DibHeader h{};
    DibInfo(gDoc.paste.dib, &h);
    ShowStatusText(0, RectangleText(gDoc.paste.x, gDoc.paste.y, h.biWidth, h.biHeight).c_str());
}

void MoveSelectionByKey(ArrowChange c) {
    if (!c.dx && !c.dy && !c.dRight && !c.dBottom) return;
    gDoc.titleNeedsRefresh = true;
    WindowDc dc(gDoc.view);
    POINT scroll = ScrollPosition(gDoc.view);
    SetWindowOrgEx(dc, scroll.x, scroll.y, nullptr);
    RECT &s = gDoc.selection;
    if (s.right > s.left && s.bottom > s.top) InvertOutline(dc, s.left, s.top, s.right, s.bottom);
    SelectionRect n = MoveSelection({(int)s.left, (int)s.top, (int)s.right, (int)s.bottom}, c, gDoc.header.biWidth,
                                    gDoc.header.biHeight);
    s = {n.left, n.top, n.right, n.bottom};
    if (s.right > s.left && s.bottom > s.top) InvertOutline(dc, s.left, s.top, s.right, s.bottom);
    ShowStatusText(0, RectangleText(s.left, s.top, s.right - s.left, s.bottom - s.top).c_str());
}

} // namespace

bool OnFrameCommand(HWND frame, int id) {
    switch (id) {
    case IDM_POPUP_HIGHLIGHT:
    case IDM_POPUP_SHADOW:
    case IDM_POPUP_AVERAGE:
        if (gShell.levelPopupOwner) PostMessageA(gShell.levelPopupOwner, WM_COMMAND, (WPARAM)(id - IDM_POPUP_HIGHLIGHT + IDM_PAGE_HIGHLIGHT), 0);
        break;
    case IDM_VIEW_HIDE_STATUS: ToggleStatusBar(frame); break;
    case IDM_FILE_OPEN:
        OpenCommand(frame);
        RebuildDisplayImage();
        UpdateToolCursor();
        break;
    case IDM_FILE_SAVE: SaveCommand(frame, false); break;
    case IDM_FILE_SAVE_COMPRESSED: SaveCommand(frame, true); break;
    case IDM_EDIT_ERASE: EraseCommand(frame); break;
    case IDM_FILE_PRINT: PrintCommand(frame); break;
    case IDM_EDIT_COPY: CopyCommand(frame); break;
    case IDM_EDIT_PASTE: PasteCommand(frame); break;
    case IDM_LEVEL_AUTO_HIGHLIGHT:
    case IDM_LEVEL_AUTO_SHADOW:
    case IDM_LEVEL_HIGHLIGHT:
    case IDM_LEVEL_SHADOW: LevelCommand(frame, id); break;
    case IDM_EDIT_UNDO: RestoreUndo(); break;
    case IDM_ROTATE_RIGHT:
    case IDM_ROTATE_LEFT:
        if (!QuarterTurnCommand(id == IDM_ROTATE_RIGHT ? 0 : 1)) return false;
        break;
    case IDM_VIEW_AUTO_REDUCE: ToggleAutoReduce(frame); break;
    case IDM_VIEW_FULL_SIZE: ToggleFullSize(frame); break;
    case IDM_EDIT_SELECT_ALL: SelectAll(); break;
    case IDM_EDIT_SELECT_NONE: ClearSelectionAndRepaint(); break;
    case IDM_FILE_SAVE_INTERNAL:
    case IDM_FILE_SAVE_DISPLAY:
        SetCheck(GetMenu(frame), (UINT)id, true);
        SetCheck(GetMenu(frame), id == IDM_FILE_SAVE_INTERNAL ? IDM_FILE_SAVE_DISPLAY : IDM_FILE_SAVE_INTERNAL, false);
        break;
    case IDM_EDIT_PASTE_DISPLAY: {
        bool was = IsChecked(GetMenu(frame), IDM_EDIT_PASTE_DISPLAY);
        gDoc.pasteDisplayPriority = !was;
        SetCheck(GetMenu(frame), IDM_EDIT_PASTE_DISPLAY, !was);
        break;
    }
    case IDM_EDIT_COPY_INTERNAL:
    case IDM_EDIT_COPY_DISPLAY: ClickCopySource(frame, (UINT)id); break;
    case IDM_ROTATE_FAST:
        gDoc.fastRotation = !gDoc.fastRotation;
        SetCheck(GetMenu(frame), IDM_ROTATE_FAST, gDoc.fastRotation);
        break;
    case IDM_CARET_SHOW: ShowDiagonalCaret(); break;
    case IDM_CARET_HIDE: DestroyDiagonalCaret(); break;
    case IDM_VIEW_HIDE_FLOAT_INFO: {
        bool was = IsChecked(GetMenu(frame), IDM_VIEW_HIDE_FLOAT_INFO);
        gDoc.floatInfoHidden = !was;
        SetCheck(GetMenu(frame), IDM_VIEW_HIDE_FLOAT_INFO, !was);
        break;
    }
    default: break; // the tools follow the toolbar; add-in commands are only forwarded
    }
    EnsureDisplayImage();
    return true;
}

void OnFrameKeyDown(HWND frame, WPARAM key) {
    if (key == VK_SHIFT) {
        gShell.shiftHeld = true;
        return;
    }
    if (key == VK_CONTROL) {
        gShell.ctrlHeld = true;
        return;
    }
    if (key == VK_RETURN && gDoc.paste.dib) {
        MergeFloatingPaste();
        return;
    }
    if (!IsArrow(key)) return;
    if (gShell.ctrlHeld) {
        ScrollByKey(key);
        return;
    }
    if (gDoc.scale[0] != 1.0f || gDoc.scale[1] != 1.0f || !gDoc.view) return;
    ArrowChange c = ArrowKeyChange(ToArrow(key), gShell.shiftHeld);
    if (gDoc.paste.dib) MovePasteByKey(c);
    else if (IsNowTool() == IDM_TOOL_RECTANGLE) MoveSelectionByKey(c);
}

void OnFrameKeyUp(HWND frame, WPARAM key) {
    if (key == VK_SHIFT) gShell.shiftHeld = false;
    else if (key == VK_CONTROL) gShell.ctrlHeld = false;
    else if (IsArrow(key) && gDoc.titleNeedsRefresh) SetTimer(frame, kTitleTimerId, kTitleTimerMs, nullptr);
}

void OnFrameTimer(HWND frame, UINT_PTR id) {
    KillTimer(frame, id);
    if (id != kTitleTimerId) return;
    gDoc.titleNeedsRefresh = false;
    RestoreScaleTitle();
}
