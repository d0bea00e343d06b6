// The open pipeline's core half: loads into a new picture and finishes it to 24 bits, with the status texts the
// window shows. The caller's current picture is never touched; replacing it is the caller's decision.
#include "formats/open_picture.h"

#include <sys/stat.h>

#include "formats/bmp_expand.h"
#include "formats/compressed_format.h"
#include "platform/host.h"

namespace {

bool FileExists(const char *path) {
    struct stat st;
    return stat(path, &st) == 0;
}

} // namespace

PackedDib FinishLoadedPicture(PackedDib raw, OpenReport *report) {
    if (!raw) return nullptr;
    DibHeader h;
    if (!DibInfo(raw, &h)) {
        BlockFree(raw);
        return nullptr;
    }
    if (h.biCompression == kCompressedTag || h.biCompression == kCompressedTagAlt) {
        ShowStatusText(0, "展開中･･･");
        PackedDib full = DecompressPicture(raw);
        BlockFree(raw);
        report->decompressed = true;
        if (!full) report->reason = "the compressed picture could not be expanded";
        return full;
    }
    if (h.biBitCount != 24 || h.biCompression != 0) {
        ShowStatusText(0, "フルカラー変換中");
        PackedDib full = ExpandToFullColour(raw);
        BlockFree(raw);
        report->converted = true;
        report->fromBits = h.biBitCount;
        if (!full) report->reason = "the conversion to 24 bits failed";
        return full;
    }
    return raw;
}

PackedDib OpenPictureFile(const char *path, OpenReport *report) {
    OpenReport local;
    if (!report) report = &local;
    BusyCursor(true);
    PackedDib dib = nullptr;
    report->exists = FileExists(path);
    if (!report->exists) {
        BusyCursor(false);
        ShowMessage("オープン出来ません", "");
        report->messageShown = true;
        report->reason = "the file does not exist";
    } else {
        dib = FinishLoadedPicture(LoadPictureFile(path, report), report);
        BusyCursor(false);
        // Many failures are silent on their own; the user still learns that nothing was opened.
        if (!dib && !report->messageShown) {
            ShowMessage("オープン出来ません", "");
            report->messageShown = true;
        }
    }
    ShowStatusText(1, dib || !report->keepTitle ? path : report->keepTitle);
    ShowStatusText(0, "");
    return dib;
}
