// The picture loader: JPEG by the ".JPG" name rule, anything else through the BMP reader.
#include <cstring>

#include "formats/bmp_read.h"
#include "formats/jpeg_decode.h"
#include "formats/open_picture.h"
#include "platform/host.h"

namespace {

// Only the name decides: ".jpg" in any case, never ".jpeg" or the file's content.
bool EndsWithJpg(const char *path) {
    const size_t n = strlen(path);
    if (n < 4) return false;
    const char *e = path + n - 4;
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? (char)(c - 'A' + 'a') : c; };
    return e[0] == '.' && lower(e[1]) == 'j' && lower(e[2]) == 'p' && lower(e[3]) == 'g';
}

} // namespace

PackedDib LoadPictureFile(const char *path, OpenReport *report) {
    OpenReport local;
    if (!report) report = &local;
    ByteSource src;
    if (!OpenFileSource(&src, path)) {
        ShowMessage("ファイルがオープン出来ません", "");
        report->messageShown = true;
        report->reason = "the file cannot be opened for reading";
        return nullptr;
    }
    ShowStatusText(1, "読込中･･･");
    if (EndsWithJpg(path)) {
        CloseSource(&src);
        report->isJpeg = true;
        PackedDib dib = DecodeJpegFile(path, &report->jpegResult);
        if (!dib) report->reason = "the JPEG file could not be decoded";
        return dib;
    }
    PackedDib dib = ReadBmp(&src, report);
    CloseSource(&src);
    return dib;
}
