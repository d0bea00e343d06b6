// The frame's configuration texts, parsed and formatted without the platform.
#include "shell/frame_config.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "view/view_geometry.h"

namespace {

// atol on a 32-bit long: digits after leading blanks and a sign; values beyond 32 bits saturate.
int32_t ToInt32(const std::string &field) {
    long long v = strtoll(field.c_str(), nullptr, 10);
    return (int32_t)std::min<long long>(std::max<long long>(v, INT32_MIN), INT32_MAX);
}

} // namespace

FramePlacement ParseWindowRect(const char *text) {
    std::string rest = text ? text : "";
    std::string fields[4];
    int count = 0;
    for (; count < 3; ++count) {
        size_t comma = rest.find(',');
        if (comma == std::string::npos) break;
        fields[count] = rest.substr(0, comma);
        rest = rest.substr(comma + 1);
    }
    FramePlacement p;
    if (count < 3) return p;
    fields[3] = rest;
    p.x = ToInt32(fields[0]);
    p.y = ToInt32(fields[1]);
    p.width = ToInt32(fields[2]);
    p.height = ToInt32(fields[3]);
    return p;
}

std::string FormatWindowRect(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    char text[64];
    snprintf(text, sizeof text, "%" PRId32 ",%" PRId32 ",%" PRId32 ",%" PRId32, left, top,
             (int32_t)((int64_t)right - left), (int32_t)((int64_t)bottom - top));
    return text;
}

std::string DefaultWindowRectText() {
    char text[64];
    snprintf(text, sizeof text, "%" PRId32 ",0,%" PRId32 ",0", kUseDefault, kUseDefault);
    return text;
}

FramePlacement UsablePlacement(const FramePlacement &p, const ScreenArea &screen) {
    if (p.x == kUseDefault || p.width == kUseDefault) return FramePlacement{};
    if (p.width <= 0 || p.height <= 0) return FramePlacement{};
    int64_t right = (int64_t)p.x + p.width, bottom = (int64_t)p.y + p.height;
    int64_t screenRight = (int64_t)screen.left + screen.width, screenBottom = (int64_t)screen.top + screen.height;
    bool visible = p.x < screenRight && right > screen.left && p.y < screenBottom && bottom > screen.top;
    return visible ? p : FramePlacement{};
}

void FolderOfPath(const char *path, size_t fileOffset, char *folder, size_t capacity) {
    size_t n = std::min(fileOffset, capacity);
    if (n == 0) return;
    size_t len = strnlen(path, n - 1);
    memmove(folder, path, len);
    folder[len] = '\0';
}

std::string ScaleTitle(const char *title, float scaleX, float scaleY) {
    char text[512];
    snprintf(text, sizeof text, "%s (%d%% x %d%%)", title, ScalePercent(scaleX), ScalePercent(scaleY));
    return text;
}

std::string PictureSizeText(int width, int height) {
    char text[64];
    snprintf(text, sizeof text, "0,0 (%d x %d)", width, height);
    return text;
}

std::string RectangleText(int32_t left, int32_t top, int32_t width, int32_t height) {
    char text[96];
    snprintf(text, sizeof text, "%" PRId32 ",%" PRId32 " (%" PRId32 " x %" PRId32 ")", left, top, width, height);
    return text;
}
