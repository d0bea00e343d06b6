// The frame's configuration texts: the WindowRect value, the remembered folder, the title with the scale.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// The platform's "choose a default" coordinate (CW_USEDEFAULT), printed as -2147483648.
constexpr int32_t kUseDefault = INT32_MIN;

struct FramePlacement {
    int32_t x = kUseDefault, y = 0, width = kUseDefault, height = 0;
};

// "x,y,width,height": with all four fields the frame goes there; with fewer the platform places it.
FramePlacement ParseWindowRect(const char *text);
// The value written at exit: "%ld,%ld,%ld,%ld" with left, top, width, height.
std::string FormatWindowRect(int32_t left, int32_t top, int32_t right, int32_t bottom);
// The default text read when the key is missing: "%d,0,%d,0" with the default coordinate twice.
std::string DefaultWindowRectText();

struct ScreenArea {
    int32_t left, top, width, height; // the virtual screen
};
// A stored rectangle that cannot be seen (closed while minimised, a screen that went away) or has no size is
// replaced by the default placement.
FramePlacement UsablePlacement(const FramePlacement &p, const ScreenArea &screen);

// The folder of a path whose file name starts at fileOffset: the first min(fileOffset, capacity) - 1 characters
// ("C:" for a file in a drive's root). fileOffset 0 (a cancelled dialog) leaves `folder` unchanged.
void FolderOfPath(const char *path, size_t fileOffset, char *folder, size_t capacity);

// Status part 0 after a rebuild: "0,0 (%d x %d)" with the picture's size.
std::string PictureSizeText(int width, int height);
// Status part 0 for a rectangle or a floating paste: "%ld,%ld (%ld x %ld)" with left, top, width, height.
std::string RectangleText(int32_t left, int32_t top, int32_t width, int32_t height);

// "%s (%d%% x %d%%)" with the title and the percentages of both divisors.
std::string ScaleTitle(const char *title, float scaleX, float scaleY);
