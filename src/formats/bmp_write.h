// The BMP writer used by every save.
#pragma once
#include "image/dib.h"

// 1 written, 0 when there is no block or the file could not be written completely (the message is shown).
// An existing file is replaced only after a complete write.
int WriteBmpFile(const char *path, PackedDib dib);
