// The text add-in worked as a person would: "拡張(&X)" > "テキスト(&T)..", the font chosen in the real font dialog
// (face, size and colour set through its controls), a line typed into "テキスト貼付け", and the picture read back
// through the probe. The expected stamp is drawn here with the same font at the height the add-in's fitting
// rule gives, so "exactly the text pixels" is checked pixel for pixel.
#include "text_scenarios.h"

#include <windows.h>
#include <dlgs.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "driver_support.h"

namespace {

const uint32_t kWhite = 0xFFFFFF, kRed = 0xFF0000;
const std::string kWarnText = "矩形指定してください";
// Middles of the toolbar's rectangle and rotation-axis buttons, in frame client pixels.
const POINT kRectangleButton{168, 12}, kAxisButton{192, 12};

struct TextPictures {
    std::string white, wide, large;
    uint64_t whiteHash = 0, largeHash = 0;
};
TextPictures gText;

std::string TextIni() {
    return "[CONFIG]\r\nWindowRect=20,20,640,480\r\n[Add-in]\r\nDLL1=LETTRA.DLL\r\nDLL2=E2EPROBE1.DLL\r\n";
}

// ---- the probe's view of the picture ----

struct Picture {
    int width = 0, height = 0;
    bool displayMatches = false;
    std::vector<uint32_t> pixels; // 0xRRGGBB, top row first
    uint32_t at(int x, int y) const { return pixels[(size_t)y * width + x]; }
};

ProbeTextPicture &AskProbe(const App &app, ULONG_PTR query) {
    ProbeTextPicture &t = Probe()->textPicture;
    t.answered = 0;
    COPYDATASTRUCT data{query, 0, nullptr};
    DWORD_PTR result = 0;
    SendMessageTimeoutA(app.frame, WM_COPYDATA, 0, (LPARAM)&data, SMTO_BLOCK, 10000, &result);
    if (!t.answered) Fail(__FILE__, __LINE__, "no probe answered text query " + std::to_string(query));
    return t;
}

Picture ReadPicture(const App &app) {
    const ProbeTextPicture &t = AskProbe(app, kQueryTextPicture);
    Picture p;
    p.width = t.width;
    p.height = t.height;
    p.displayMatches = t.displayMatches != 0;
    p.pixels.assign(t.pixels, t.pixels + (size_t)t.width * t.height);
    return p;
}

// The selection as a rectangle drag would leave it (view pixels at 100 %).
void SetSelection(const App &app, RECT r) {
    Probe()->textPicture.selection = r;
    AskProbe(app, kQueryTextSetSelection);
    CHECK(EqualRect(&QueryState(app).selection, &r));
}

// ---- the font dialog ----

struct FontChoice {
    std::wstring face;
    int points = 0;
    int charset = DEFAULT_CHARSET;
};

int FindItem(HWND combo, const wchar_t *text) {
    return (int)SendMessageW(combo, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)text);
}

// Selects item `index` of combo `id` and tells the dialog, as a click in the list would.
void Choose(HWND dialog, int id, int index) {
    HWND combo = GetDlgItem(dialog, id);
    SendMessageW(combo, CB_SETCURSEL, (WPARAM)index, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), (LPARAM)combo);
}

// "フォント指定(&F)": the first of `faces` the dialog lists, `points` and red, then OK (or ｷｬﾝｾﾙ). The Japanese
// script is taken when the face offers it, so the add-in's ANSI text reaches the font in the Japanese code page.
FontChoice ChooseFontInDialog(App &app, const std::vector<std::wstring> &faces, int points, bool ok,
                              const char *screenshot = nullptr) {
    FontChoice choice;
    PostMessageA(app.frame, WM_COMMAND, IDM_TEXT_FONT, 0);
    HWND dialog = WaitDialog(app, 10000);
    if (!dialog) {
        Fail(__FILE__, __LINE__, "no font dialog");
        return choice;
    }
    HWND faceBox = GetDlgItem(dialog, cmb1);
    for (const std::wstring &face : faces) {
        int index = FindItem(faceBox, face.c_str());
        if (index < 0) continue;
        Choose(dialog, cmb1, index);
        choice.face = face;
        break;
    }
    CHECK(!choice.face.empty());
    HWND scripts = GetDlgItem(dialog, cmb5);
    const int scriptCount = (int)SendMessageW(scripts, CB_GETCOUNT, 0, 0);
    for (int i = 0; i < scriptCount; ++i) {
        if (SendMessageW(scripts, CB_GETITEMDATA, i, 0) == SHIFTJIS_CHARSET) {
            Choose(dialog, cmb5, i);
            choice.charset = SHIFTJIS_CHARSET;
        }
    }
    const int size = FindItem(GetDlgItem(dialog, cmb3), std::to_wstring(points).c_str());
    CHECK(size >= 0);
    if (size >= 0) {
        Choose(dialog, cmb3, size);
        choice.points = points;
    }
    HWND colours = GetDlgItem(dialog, cmb4);
    const int colourCount = (int)SendMessageW(colours, CB_GETCOUNT, 0, 0);
    int red = -1;
    for (int i = 0; i < colourCount; ++i)
        if (SendMessageW(colours, CB_GETITEMDATA, i, 0) == RGB(255, 0, 0)) red = i;
    CHECK(red >= 0);
    if (red >= 0) Choose(dialog, cmb4, red);
    if (screenshot) Screenshot(app, screenshot);
    if (ok) PressOk(dialog);
    else PressCancel(dialog);
    CHECK(WaitGone(dialog, 10000));
    Sync(app);
    return choice;
}

// ---- the text dialog ----

// GetWindowText does not ask a control of another process; WM_GETTEXT does (and is carried across).
std::string ControlText(HWND control) {
    char text[256] = "";
    SendMessageA(control, WM_GETTEXT, sizeof text, (LPARAM)text);
    return text;
}

// "テキスト貼付け(&T)": the dialog comes, `typed` is typed into its edit one character at a time, then OK or ｷｬﾝｾﾙ.
// Returns false when no dialog came.
bool PasteText(App &app, const std::wstring &typed, const std::string &expectedAnsi, bool ok,
               const char *screenshot = nullptr) {
    PostMessageA(app.frame, WM_COMMAND, IDM_TEXT_PASTE, 0);
    HWND dialog = WaitDialog(app, 10000);
    if (!dialog) {
        Fail(__FILE__, __LINE__, "no text dialog");
        return false;
    }
    CHECK_EQ(WindowText(dialog), std::string("テキスト貼付け"));
    CHECK_EQ(WindowText(GetDlgItem(dialog, IDOK)), std::string("OK"));
    CHECK_EQ(WindowText(GetDlgItem(dialog, IDCANCEL)), std::string("ｷｬﾝｾﾙ"));
    HWND edit = GetDlgItem(dialog, IDC_TEXT_EDIT);
    CHECK(edit != nullptr);
    for (wchar_t c : typed) PostMessageW(edit, WM_CHAR, c, 1);
    DWORD start = GetTickCount();
    while (ControlText(edit) != expectedAnsi && GetTickCount() - start < 5000) Sleep(10);
    CHECK_EQ(ControlText(edit), expectedAnsi);
    if (screenshot) Screenshot(app, screenshot);
    if (ok) PressOk(dialog);
    else PressCancel(dialog);
    CHECK(WaitGone(dialog, 10000));
    Sync(app);
    return true;
}

// "テキスト貼付け(&T)" refused: the warning with caption "WARN", and no text dialog after it.
void ExpectRefusal(App &app) {
    PostMessageA(app.frame, WM_COMMAND, IDM_TEXT_PASTE, 0);
    HWND box = WaitDialog(app, 10000);
    CHECK(box != nullptr);
    if (!box) return;
    CHECK_EQ(WindowText(box), std::string("WARN"));
    CHECK_EQ(DialogMessage(box), kWarnText);
    PressOk(box);
    WaitGone(box, 5000);
    Sync(app);
    HWND after = WaitDialog(app, 500);
    if (after) {
        Fail(__FILE__, __LINE__, "a dialog \"" + WindowText(after) + "\" came after the warning");
        PressCancel(after);
        WaitGone(after, 5000);
    }
}

// ---- the expected stamp ----

struct TextDrawing {
    HDC dc = nullptr;
    HFONT font = nullptr;
    HGDIOBJ oldFont = nullptr;
    FontChoice choice;
    std::wstring text;

    TextDrawing(const FontChoice &c, const std::wstring &t) : choice(c), text(t) { dc = CreateCompatibleDC(nullptr); }
    ~TextDrawing() {
        Select(0);
        DeleteDC(dc);
    }
    void Select(int height) {
        if (oldFont) SelectObject(dc, oldFont);
        if (font) DeleteObject(font);
        font = nullptr;
        oldFont = nullptr;
        if (!height) return;
        LOGFONTW lf{};
        lf.lfHeight = height;
        lf.lfWeight = FW_NORMAL;
        lf.lfCharSet = (BYTE)choice.charset;
        wcsncpy(lf.lfFaceName, choice.face.c_str(), LF_FACESIZE - 1);
        font = CreateFontIndirectW(&lf);
        oldFont = SelectObject(dc, font);
    }
    SIZE Measure(int height) {
        Select(height);
        SIZE s{0, 0};
        GetTextExtentPoint32W(dc, text.c_str(), (int)text.size(), &s);
        return s;
    }
    // The add-in's rule: grow while the box has room either way, then shrink until the text fits both ways.
    int Fit(int start, int w, int h, SIZE *extent) {
        int height = start;
        SIZE s = Measure(height);
        while ((w > s.cx || h > s.cy) && std::abs(height) < 2 * h + 16) s = Measure(height = height < 0 ? height - 1 : height + 1);
        while ((s.cx > w || s.cy > h) && std::abs(height) > 1) s = Measure(height = height >= 0 ? height - 1 : height + 1);
        *extent = s;
        return height;
    }
    // Which pixels of the text drawn at `height` come out exactly in red (anti-aliased edges do not).
    std::vector<bool> RedPixels(int height, SIZE extent) {
        Select(height);
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = extent.cx;
        bi.bmiHeader.biHeight = -extent.cy;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        void *bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        std::vector<bool> red((size_t)extent.cx * extent.cy, false);
        if (!bitmap) return red;
        HGDIOBJ old = SelectObject(dc, bitmap);
        SetTextColor(dc, RGB(255, 0, 0));
        SetBkColor(dc, 0xFFFFFF - RGB(255, 0, 0));
        ExtTextOutW(dc, 0, 0, ETO_OPAQUE, nullptr, text.c_str(), (UINT)text.size(), nullptr);
        GdiFlush();
        const uint32_t *p = static_cast<const uint32_t *>(bits);
        for (size_t i = 0; i < red.size(); ++i) red[i] = (p[i] & 0xFFFFFF) == kRed;
        SelectObject(dc, old);
        DeleteObject(bitmap);
        return red;
    }
};

int StartHeight(int points) {
    HDC screen = GetDC(nullptr);
    int height = -MulDiv(points, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    return height;
}

// After a paste into `r` of a picture that was `before`: exactly the red text pixels inside the selection (and
// the picture) changed, to red, counted from the selection's top-left corner. Returns the fitted height.
int CheckStamp(const Picture &before, const Picture &after, RECT r, TextDrawing &drawing, int startHeight) {
    CHECK_EQ(after.width, before.width);
    CHECK_EQ(after.height, before.height);
    CHECK(after.displayMatches);
    if (after.width != before.width || after.height != before.height || !after.width) return startHeight;
    SIZE extent;
    const int height = drawing.Fit(startHeight, r.right - r.left, r.bottom - r.top, &extent);
    CHECK(extent.cx <= r.right - r.left && extent.cy <= r.bottom - r.top);
    std::vector<bool> red = drawing.RedPixels(height, extent);
    int wrong = 0, outside = 0, stamped = 0, expected = 0;
    for (int y = 0; y < after.height; ++y) {
        for (int x = 0; x < after.width; ++x) {
            const int i = x - r.left, j = y - r.top;
            const bool inText = i >= 0 && j >= 0 && i < extent.cx && j < extent.cy && red[(size_t)j * extent.cx + i];
            const bool changed = after.at(x, y) != before.at(x, y);
            if (changed && !(x >= r.left && x < r.right && y >= r.top && y < r.bottom)) ++outside;
            if (inText) ++expected;
            if (changed) ++stamped;
            const uint32_t want = inText ? kRed : before.at(x, y);
            if (after.at(x, y) != want) ++wrong;
        }
    }
    CHECK(expected > 20);
    CHECK_EQ(outside, 0);
    CHECK_EQ(wrong, 0);
    if (wrong) std::printf("  stamp: %d pixels changed, %d expected, %d differ (height %d)\n", stamped, expected, wrong, height);
    return height;
}

bool OpenWhite(App &app, const std::string &path) {
    if (!OpenPath(app, path) || !WaitOpenDone(app)) {
        Fail(__FILE__, __LINE__, "the open of " + path + " did not finish");
        return false;
    }
    return Sync(app);
}

const std::vector<std::wstring> kJapaneseFaces = {L"IPAゴシック", L"IPAGothic"};

// ---- scenarios ----

// The submenu, the font dialog and a line pasted in red into the whole of a white picture.
void TextMenuAndPaste() {
    WriteIni(TextIni());
    App app;
    if (!Launch(app)) return;
    const ProbeState &s = QueryState(app);
    CHECK(s.extensionCount >= 1);
    if (s.extensionCount >= 1) CHECK_EQ(std::string(s.extension[0]), std::string("テキスト(&T).."));
    const ProbeTextPicture &menu = AskProbe(app, kQueryTextPicture);
    CHECK_EQ(menu.textMenuCount, 2);
    if (menu.textMenuCount == 2) {
        CHECK_EQ(std::string(menu.textMenu[0]), std::string("フォント指定(&F)"));
        CHECK_EQ(menu.textMenuIds[0], IDM_TEXT_FONT);
        CHECK_EQ(std::string(menu.textMenu[1]), std::string("テキスト貼付け(&T)"));
        CHECK_EQ(menu.textMenuIds[1], IDM_TEXT_PASTE);
        CHECK_EQ(menu.textMenuStates[0] & (MF_GRAYED | MF_DISABLED), 0);
        CHECK_EQ(menu.textMenuStates[1] & (MF_GRAYED | MF_DISABLED), 0);
    }
    if (OpenWhite(app, gText.white)) {
        FontChoice font = ChooseFontInDialog(app, kJapaneseFaces, 20, true, "text_font_dialog");
        Picture before = ReadPicture(app);
        CHECK_EQ(before.width, 300);
        const RECT whole{0, 0, 300, 120};
        CHECK(EqualRect(&QueryState(app).selection, &whole));
        if (PasteText(app, L"Orben 123", "Orben 123", true, "text_dialog")) {
            UpdateWindow(app.view);
            Sync(app);
            Screenshot(app, "text_stamped");
            TextDrawing drawing(font, L"Orben 123");
            CheckStamp(before, ReadPicture(app), whole, drawing, StartHeight(font.points));
        }
    }
    Quit(app);
}

// Every refusal shows "矩形指定してください" (caption "WARN") and opens no dialog: no picture, the rotation-axis
// tool, a selection 1 pixel wide or 3 pixels high, and a view not at 100 %.
void TextPasteRefusals() {
    WriteIni(TextIni());
    App app;
    if (!Launch(app)) return;
    ExpectRefusal(app); // no picture yet
    if (OpenWhite(app, gText.white)) {
        Click(app.frame, kAxisButton.x, kAxisButton.y);
        Sync(app);
        CHECK_EQ(QueryState(app).isNowTool, IDM_TOOL_AXIS);
        ExpectRefusal(app);
        Click(app.frame, kRectangleButton.x, kRectangleButton.y);
        Sync(app);
        CHECK_EQ(QueryState(app).isNowTool, IDM_TOOL_RECTANGLE);
        SetSelection(app, RECT{10, 10, 11, 60});
        ExpectRefusal(app);
        SetSelection(app, RECT{10, 10, 100, 13});
        ExpectRefusal(app);
        // Automatic reduction also enlarges a small picture: the selection is then in enlarged view pixels.
        Command(app, IDM_VIEW_AUTO_REDUCE);
        Command(app, IDM_EDIT_SELECT_ALL);
        ProbeState s = QueryState(app);
        CHECK(s.scale[0] < 1.0f);
        ExpectRefusal(app);
        CHECK_EQ(QueryState(app).pixelHash, gText.whiteHash);
    }
    // And a picture larger than the view, shown reduced.
    if (OpenWhite(app, gText.large)) {
        Command(app, IDM_EDIT_SELECT_ALL);
        ProbeState s = QueryState(app);
        CHECK(s.scale[0] > 1.0f);
        ExpectRefusal(app);
        CHECK_EQ(QueryState(app).pixelHash, gText.largeHash);
    }
    Quit(app);
}

// ｷｬﾝｾﾙ changes nothing; then a paste into the whole picture and a second one into a smaller rectangle away from
// the corner, which starts from the first paste's height and shrinks, touching nothing outside it. A cancelled
// font dialog keeps the colour.
void TextCancelAndSmallerRectangle() {
    WriteIni(TextIni());
    App app;
    if (!Launch(app)) return;
    if (OpenWhite(app, gText.white)) {
        FontChoice font = ChooseFontInDialog(app, kJapaneseFaces, 12, true);
        if (PasteText(app, L"Cancelled", "Cancelled", false)) CHECK_EQ(QueryState(app).pixelHash, gText.whiteHash);
        // Red chosen again but cancelled: the colour stays red.
        ChooseFontInDialog(app, kJapaneseFaces, 12, false);
        TextDrawing drawing(font, L"Wide text");
        Picture before = ReadPicture(app);
        const RECT whole{0, 0, 300, 120};
        int first = StartHeight(font.points);
        if (PasteText(app, L"Wide text", "Wide text", true)) first = CheckStamp(before, ReadPicture(app), whole, drawing, first);
        before = ReadPicture(app);
        const RECT smaller{120, 70, 220, 100};
        SetSelection(app, smaller);
        if (PasteText(app, L"Wide text", "Wide text", true)) {
            const int second = CheckStamp(before, ReadPicture(app), smaller, drawing, first);
            CHECK(std::abs(second) < std::abs(first));
        }
        UpdateWindow(app.view);
        Sync(app);
        Screenshot(app, "text_two_pastes");
    }
    Quit(app);
}

// The paste takes no undo copy: UnDo afterwards brings back the picture before the edit that came first.
void TextPasteTakesNoUndo() {
    WriteIni(TextIni());
    App app;
    if (!Launch(app)) return;
    if (OpenWhite(app, gText.wide)) {
        const uint64_t original = QueryState(app).pixelHash;
        Command(app, IDM_ROTATE_RIGHT);
        ProbeState s = QueryState(app);
        CHECK_EQ(s.info.biWidth, 40);
        CHECK(!Grayed(s, IDM_EDIT_UNDO));
        ChooseFontInDialog(app, kJapaneseFaces, 12, true);
        const uint64_t rotated = QueryState(app).pixelHash;
        if (PasteText(app, L"Ab", "Ab", true)) {
            s = QueryState(app);
            CHECK(s.pixelHash != rotated);
            CHECK(!Grayed(s, IDM_EDIT_UNDO));
            Command(app, IDM_EDIT_UNDO);
            s = QueryState(app);
            CHECK_EQ(s.pixelHash, original);
            CHECK_EQ(s.info.biWidth, 100);
        }
    }
    Quit(app);
}

// A Japanese line, typed as characters, pastes with a Japanese font: the stamp is that text drawn in that font.
void TextJapaneseLine() {
    WriteIni(TextIni());
    App app;
    if (!Launch(app)) return;
    if (OpenWhite(app, gText.white)) {
        FontChoice font = ChooseFontInDialog(app, kJapaneseFaces, 16, true);
        CHECK_EQ(font.charset, SHIFTJIS_CHARSET);
        Picture before = ReadPicture(app);
        const RECT box{8, 20, 292, 100};
        SetSelection(app, box);
        const std::wstring text = L"日本語テキスト";
        if (PasteText(app, text, "日本語テキスト", true, "text_dialog_japanese")) {
            UpdateWindow(app.view);
            Sync(app);
            Screenshot(app, "text_stamped_japanese");
            TextDrawing drawing(font, text);
            CheckStamp(before, ReadPicture(app), box, drawing, StartHeight(font.points));
        }
    }
    Quit(app);
}

} // namespace

const TextScenario kTextScenarios[] = {
    {"text_menu_and_paste", TextMenuAndPaste},
    {"text_paste_refusals", TextPasteRefusals},
    {"text_cancel_and_smaller_rectangle", TextCancelAndSmallerRectangle},
    {"text_paste_takes_no_undo", TextPasteTakesNoUndo},
    {"text_japanese_line", TextJapaneseLine},
};
const int kTextScenarioCount = sizeof kTextScenarios / sizeof kTextScenarios[0];

void MakeTextPictures() {
    gText.white = Join(gPaths.dataDir, "text_white.bmp");
    gText.whiteHash = WriteBmp24(gText.white, 300, 120, [](int, int) { return kWhite; });
    gText.large = Join(gPaths.dataDir, "text_large.bmp");
    gText.largeHash = WriteBmp24(gText.large, 1600, 400, [](int, int) { return kWhite; });
    gText.wide = Join(gPaths.dataDir, "text_wide.bmp");
    WriteBmp24(gText.wide, 100, 40, [](int x, int) { return x < 50 ? kWhite : 0xE0E0E0u; });
}
