// Scoped GDI and USER handles for the window program: a DC, a selected object, a GDI object or a realised palette
// released at the end of the scope that made it. Handles whose ownership travels (pictures, the display bitmap and
// palette, long-lived cursors and fonts) stay plain handles in their owner's record.
#pragma once
#include <windows.h>

#include <utility>

// A DC from GetDC, given back with ReleaseDC. window null = the screen.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() { if (dc_) ReleaseDC(window_, dc_); }
    WindowDc(WindowDc &&o) noexcept : window_(o.window_), dc_(std::exchange(o.dc_, nullptr)) {}
    WindowDc(const WindowDc &) = delete;
    WindowDc &operator=(const WindowDc &) = delete;
    WindowDc &operator=(WindowDc &&) = delete;
    operator HDC() const { return dc_; }
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// A memory DC from CreateCompatibleDC, deleted with DeleteDC. like null = compatible with the screen.
class MemoryDc {
public:
    explicit MemoryDc(HDC like) : dc_(CreateCompatibleDC(like)) {}
    ~MemoryDc() { if (dc_) DeleteDC(dc_); }
    MemoryDc(MemoryDc &&o) noexcept : dc_(std::exchange(o.dc_, nullptr)) {}
    MemoryDc(const MemoryDc &) = delete;
    MemoryDc &operator=(const MemoryDc &) = delete;
    MemoryDc &operator=(MemoryDc &&) = delete;
    operator HDC() const { return dc_; }
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

// An object selected into a DC; the previous one goes back at the end of the scope. A null object selects nothing.
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(dc && object ? SelectObject(dc, object) : nullptr) {}
    ~SelectedObject() { if (old_) SelectObject(dc_, old_); }
    SelectedObject(SelectedObject &&o) noexcept : dc_(o.dc_), old_(std::exchange(o.old_, nullptr)) {}
    SelectedObject(const SelectedObject &) = delete;
    SelectedObject &operator=(const SelectedObject &) = delete;
    SelectedObject &operator=(SelectedObject &&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// A GDI object (pen, brush, font, bitmap, region, palette) deleted with DeleteObject at the end of the scope.
// release() hands the handle on to a new owner.
template <class Handle>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(Handle h) : h_(h) {}
    ~GdiObject() { if (h_) DeleteObject(h_); }
    GdiObject(GdiObject &&o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
    GdiObject &operator=(GdiObject &&o) noexcept {
        if (this != &o) reset(std::exchange(o.h_, nullptr));
        return *this;
    }
    GdiObject(const GdiObject &) = delete;
    GdiObject &operator=(const GdiObject &) = delete;
    operator Handle() const { return h_; }
    Handle get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    Handle release() { return std::exchange(h_, nullptr); }
    void reset(Handle h = nullptr) {
        if (h_ && h_ != h) DeleteObject(h_);
        h_ = h;
    }

private:
    Handle h_ = nullptr;
};

using ScopedBitmap = GdiObject<HBITMAP>;
using ScopedBrush = GdiObject<HBRUSH>;
using ScopedPen = GdiObject<HPEN>;
using ScopedFont = GdiObject<HFONT>;

// A palette selected into a DC and realised; the previous palette goes back (as a background palette) at the end
// of the scope. A null palette selects nothing.
class RealizedPalette {
public:
    RealizedPalette(HDC dc, HPALETTE palette, BOOL background = FALSE)
        : dc_(dc), old_(dc && palette ? SelectPalette(dc, palette, background) : nullptr) {
        if (old_) realized_ = RealizePalette(dc);
    }
    ~RealizedPalette() { if (old_) SelectPalette(dc_, old_, TRUE); }
    RealizedPalette(RealizedPalette &&o) noexcept
        : dc_(o.dc_), old_(std::exchange(o.old_, nullptr)), realized_(o.realized_) {}
    RealizedPalette(const RealizedPalette &) = delete;
    RealizedPalette &operator=(const RealizedPalette &) = delete;
    RealizedPalette &operator=(RealizedPalette &&) = delete;
    // How many entries RealizePalette mapped anew.
    UINT realized() const { return realized_; }

private:
    HDC dc_;
    HPALETTE old_;
    UINT realized_ = 0;
};
