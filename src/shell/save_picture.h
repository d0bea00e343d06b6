// The picture half of the save commands: the dialog title, the 24-bit source and the written file.
#pragma once
#include <string>

#include "image/dib.h"

// The save dialog's title: "保存", with "圧縮" in front for the compressed save, then "(内部イメージ)" or
// "(表示イメージ)". False (after "表示イメージは圧縮保存出来ません") when the display image is to be compressed.
bool SaveDialogTitle(bool compressed, bool internalImage, std::string *title);

// The internal image as it is saved: itself at 24 bits, else a new 24-bit copy (null when that fails).
// *owned says whether the caller must free the result.
PackedDib FullColourSource(PackedDib internalImage, bool *owned);

enum class SaveOutcome {
    kWritten,
    kNotWorthCompressing, // the compressor refused with its own message; nothing was written
    kNoMemory,            // "グローバルメモリが足りません" was shown; nothing was written
    kWriteFailed,         // the writer showed "ファイルが書けません"; any earlier file is untouched
};

// Writes `source` (a 24-bit picture, or null when none could be made) to `path`, compressed or plain.
SaveOutcome SavePictureFile(PackedDib source, bool compressed, const char *path);
