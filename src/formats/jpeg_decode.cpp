// Placeholder until the decoder lands: refuses every file.
#include "formats/jpeg_decode.h"

PackedDib DecodeJpegFile(const char *, int *result) {
    if (result) *result = kJpegNotBuilt;
    return nullptr;
}
