// The BMP writer used by every save, including the compressed save.
#pragma once
#include "image/dib.h"

// 1 written, 0 when there is no block or the file could not be written completely ("ファイルが書けません").
// The bytes go to a temporary file in the same folder, which replaces the target only after a complete write
// and close; on failure the target is left as it was.
int WriteBmpFile(const char *path, PackedDib dib);
