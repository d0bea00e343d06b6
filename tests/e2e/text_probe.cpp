// The probe's part for the text add-in's scenarios: it sets the selection as a rectangle gesture would leave it,
// reads the internal image back whole, checks that the display image shows the same pixels, and lists the text
// add-in's submenu (menus can only be read inside the program).
#include "text_probe.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "addin/addin_api.h"

namespace {

void ReadPicture(void **context, ProbeTextPicture &t) {
    t.width = t.height = 0;
    t.displayMatches = 0;
    HGLOBAL image = context[kSlotInternalImage] ? *static_cast<HGLOBAL *>(context[kSlotInternalImage]) : nullptr;
    const unsigned char *bytes = image ? static_cast<const unsigned char *>(GlobalLock(image)) : nullptr;
    if (!bytes) return;
    const BITMAPINFOHEADER *header = reinterpret_cast<const BITMAPINFOHEADER *>(bytes);
    const int w = header->biWidth, h = header->biHeight;
    if (header->biBitCount == 24 && w > 0 && h > 0 && (long long)w * h <= kTextPixelsMax) {
        const size_t stride = ((size_t)w * 3 + 3) & ~(size_t)3;
        const unsigned char *pixels = bytes + header->biSize;
        for (int y = 0; y < h; ++y) {
            const unsigned char *p = pixels + stride * (size_t)(h - 1 - y);
            for (int x = 0; x < w; ++x, p += 3) t.pixels[y * w + x] = (uint32_t)p[2] << 16 | (uint32_t)p[1] << 8 | p[0];
        }
        t.width = w;
        t.height = h;
    }
    GlobalUnlock(image);
    if (!t.width) return;

    HBITMAP display = context[kSlotDisplayImage] ? *static_cast<HBITMAP *>(context[kSlotDisplayImage]) : nullptr;
    if (!display) return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = t.width;
    info.bmiHeader.biHeight = -t.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    std::vector<uint32_t> shown((size_t)t.width * t.height);
    HDC screen = GetDC(nullptr);
    const int rows = GetDIBits(screen, display, 0, (UINT)t.height, shown.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (rows != t.height) return;
    t.displayMatches = 1;
    for (size_t i = 0; i < shown.size(); ++i)
        if ((shown[i] & 0xFFFFFF) != t.pixels[i]) t.displayMatches = 0;
}

void ListTextMenu(HWND frame, ProbeTextPicture &t) {
    t.textMenuCount = -1;
    HMENU bar = GetMenu(frame);
    for (int i = 0; i < GetMenuItemCount(bar); ++i) {
        char caption[32];
        GetMenuStringA(bar, i, caption, sizeof caption, MF_BYPOSITION);
        if (strcmp(caption, "拡張(&X)") != 0) continue;
        HMENU extension = GetSubMenu(bar, i);
        for (int k = 0; k < GetMenuItemCount(extension); ++k) {
            GetMenuStringA(extension, k, caption, sizeof caption, MF_BYPOSITION);
            if (strcmp(caption, "テキスト(&T)..") != 0) continue;
            HMENU text = GetSubMenu(extension, k);
            t.textMenuCount = GetMenuItemCount(text);
            for (int n = 0; n < t.textMenuCount && n < 4; ++n) {
                GetMenuStringA(text, n, t.textMenu[n], sizeof t.textMenu[n], MF_BYPOSITION);
                t.textMenuIds[n] = (int32_t)GetMenuItemID(text, n);
                t.textMenuStates[n] = (int32_t)GetMenuState(text, n, MF_BYPOSITION);
            }
        }
    }
}

} // namespace

bool AnswerTextQuery(HWND frame, ProbeBlock *block, ULONG_PTR query, void **context) {
    if (query != kQueryTextSetSelection && query != kQueryTextPicture) return false;
    ProbeTextPicture &t = block->textPicture;
    if (t.answered || !context) return true; // an earlier probe in the chain did it
    if (query == kQueryTextSetSelection) {
        if (context[kSlotSelection]) *static_cast<RECT *>(context[kSlotSelection]) = t.selection;
    } else {
        ReadPicture(context, t);
        ListTextMenu(frame, t);
    }
    t.answered = 1;
    return true;
}
