// The picture half of the save commands, without the platform: titles, source and the written file.
#include "shell/save_picture.h"

#include "formats/bmp_write.h"
#include "formats/compressed_format.h"
#include "image/full_colour.h"
#include "platform/host.h"
#include "shell/work_memory.h"

bool SaveDialogTitle(bool compressed, bool internalImage, std::string *title) {
    title->clear();
    if (compressed) *title += "圧縮";
    *title += "保存";
    if (internalImage) {
        *title += "(内部イメージ)";
        return true;
    }
    if (compressed) {
        ShowMessage("表示イメージは圧縮保存出来ません", "");
        return false;
    }
    *title += "(表示イメージ)";
    return true;
}

PackedDib FullColourSource(PackedDib internalImage, bool *owned) {
    *owned = false;
    DibHeader h;
    if (!DibInfo(internalImage, &h)) return nullptr;
    if (h.biBitCount == 24 && h.biCompression == 0) return internalImage;
    PackedDib full = ToFullColour(internalImage, 24);
    *owned = full != nullptr;
    return full;
}

SaveOutcome SavePictureFile(PackedDib source, bool compressed, const char *path) {
    // Without a picture to write the user must not be left believing the file was saved.
    if (!source) {
        ShowMessage("グローバルメモリが足りません", nullptr);
        return SaveOutcome::kNoMemory;
    }
    if (!compressed) return WriteBmpFile(path, source) ? SaveOutcome::kWritten : SaveOutcome::kWriteFailed;
    CompressOutcome why = CompressOutcome::kDone;
    const int reportsBefore = ShortageReportCount();
    PackedDib packed = CompressPicture(source, &why);
    if (!packed) {
        if (why == CompressOutcome::kNoGain) return SaveOutcome::kNotWorthCompressing;
        // The work allocator may already have said so; its final shrink fails silently.
        if (ShortageReportCount() == reportsBefore) ShowMessage("グローバルメモリが足りません", nullptr);
        return SaveOutcome::kNoMemory;
    }
    const int written = WriteBmpFile(path, packed);
    BlockFree(packed);
    return written ? SaveOutcome::kWritten : SaveOutcome::kWriteFailed;
}
