// The text add-in's two commands: the font choice and the text paste, which fits a line of text to the
// rectangular selection and stamps its pixels into the internal image.
#include "textaddin/lettra_win.h"

#include <commdlg.h>

#include <cstring>

#include "platform/scoped_win.h"
#include "resource.h"
#include "textaddin/text_fit.h"

namespace {

const char kSelectRectangle[] = "矩形指定してください";

// The font the fitting loops try, selected into the view's DC; the DC's own font goes back when it ends, before
// the last font made is deleted.
class FittingFont {
public:
    FittingFont(HDC dc, const char *text, int length)
        : dc_(dc), text_(text), length_(length), original_(GetCurrentObject(dc, OBJ_FONT)) {}
    ~FittingFont() { SelectObject(dc_, original_); }
    FittingFont(const FittingFont &) = delete;
    FittingFont &operator=(const FittingFont &) = delete;

    // Replaces the font made last with one of `height` (the rest as chosen) and selects it.
    bool Select(int height) {
        SelectObject(dc_, original_);
        LOGFONTA font = gLettra.font;
        font.lfHeight = height;
        created_.reset(CreateFontIndirectA(&font));
        if (!created_) return false;
        SelectObject(dc_, created_);
        return true;
    }
    TextExtent Measure() const {
        SIZE size{0, 0};
        if (length_ > 0) GetTextExtentPointA(dc_, text_, length_, &size);
        return TextExtent{size.cx, size.cy};
    }
    static bool MeasureAt(void *self, int height, TextExtent *extent) {
        auto *font = static_cast<FittingFont *>(self);
        if (!font->Select(height)) return false;
        *extent = font->Measure();
        return true;
    }

private:
    HDC dc_;
    const char *text_;
    int length_;
    HGDIOBJ original_;
    ScopedFont created_; // the font the add-in made last
};

const RECT &Selection() { return *static_cast<RECT *>(gLettra.context[kSlotSelection]); }

// The rectangle tool, a selection of at least 2 × 4 and a picture; and the view at 100 % on both axes, since
// the selection is in view pixels and the stamp in picture pixels.
bool PasteAllowed() {
    void **c = gLettra.context;
    if (!c || !c[kSlotSelection] || !c[kSlotScale] || !InternalImage()) return false;
    if (IsNowTool() != IDM_TOOL_RECTANGLE) return false;
    const float *scale = static_cast<const float *>(c[kSlotScale]);
    if (scale[0] != 1.0f || scale[1] != 1.0f) return false;
    const RECT &r = Selection();
    return r.right - r.left >= 2 && r.bottom - r.top >= 4;
}

// The text pixels the screen shows in `textColour` go into the picture in the same colour; background pixels,
// and those the screen cannot give back (outside the view or covered), are left alone.
void StampPixels(HDC dc, TextExtent extent, COLORREF textColour) {
    HGLOBAL image = InternalImage();
    void *locked = image ? GlobalLock(image) : nullptr;
    if (!locked) return;
    // The block's own header: the host's header copy can describe another picture for a while.
    const BITMAPINFOHEADER *header = static_cast<const BITMAPINFOHEADER *>(locked);
    const int pictureHeight = header->biHeight;
    const RECT &r = Selection();
    const StampArea area = ClipStamp(r.left, r.top, r.right, r.bottom, extent, header->biWidth, pictureHeight);
    // PixelColour keeps red in the third byte, COLORREF in the first.
    const DWORD pixel = (textColour & 0xFF) << 16 | (textColour & 0xFF00) | (textColour >> 16 & 0xFF);
    for (int i = 0; i < area.columns; ++i) {
        for (int j = 0; j < area.rows; ++j) {
            if (GetPixel(dc, i, j) == textColour) SetDibColor(locked, pictureHeight - r.top - j - 1, r.left + i, pixel);
        }
    }
    GlobalUnlock(image);
}

// The display image is the host's; the add-in replaces it through the context, deleting the old bitmap first.
void ReplaceDisplayImage(HWND view) {
    HBITMAP *display = static_cast<HBITMAP *>(gLettra.context[kSlotDisplayImage]);
    if (!display) return;
    if (*display) DeleteObject(*display);
    *display = BitmapFromDib(InternalImage(), nullptr);
    InvalidateRgn(view, nullptr, FALSE);
}

void StampText(HWND view, const char *text) {
    WindowDc dc(view);
    if (!dc) return;
    const int length = (int)strlen(text);
    FittingFont font(dc, text, length);
    const int startHeight = gLettra.font.lfHeight;
    if (gLettra.font.lfFaceName[0] && !font.Select(startHeight)) return;
    SetTextColor(dc, gLettra.colour);
    gLettra.colour = GetTextColor(dc); // the colour the device really draws
    SetBkColor(dc, 0xFFFFFF - gLettra.colour);

    TextExtent extent = font.Measure();
    const RECT &r = Selection();
    int height = startHeight;
    if (FitTextHeight(&height, &extent, r.right - r.left, r.bottom - r.top, FittingFont::MeasureAt, &font) !=
        FitResult::kFits) {
        return; // the font stays as it was: nothing was pasted
    }
    gLettra.font.lfHeight = height; // the next paste starts from here

    // Drawn where it can be read back: the text shows at the view's top-left for a moment.
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, nullptr, text, (UINT)length, nullptr);
    StampPixels(dc, extent, gLettra.colour);
    ReplaceDisplayImage(view);
}

} // namespace

void FontCommand() {
    CHOOSEFONTA choose{};
    choose.lStructSize = sizeof choose;
    choose.hwndOwner = ViewWindow();
    choose.lpLogFont = &gLettra.font;
    choose.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_EFFECTS;
    choose.rgbColors = gLettra.colour;
    ChooseFontA(&choose);
    // A cancelled dialog hands the colour back unchanged.
    gLettra.colour = choose.rgbColors;
}

void PasteTextCommand() {
    HWND view = ViewWindow();
    if (!PasteAllowed()) {
        MessageBoxA(view, kSelectRectangle, "WARN", MB_OK);
        return;
    }
    EnteredText entered = AskForText(view);
    if (!entered.block) return;
    StampText(view, entered.text);
    FreeText(entered);
}
