// The stepwise seek used by the BMP reader to reach the pixel data.
#pragma once
#include <cstdint>

#include "formats/byte_source.h"

// Moves to `offset` from the start: in one seek below 16383, else to 16383 and on in steps of 16383 bytes.
// Returns the offset reached, 1 for offset 0, and 0 on failure after "ファイルが壊れています" ("Internal error").
// An offset of exactly 16383 is reached but reported as 0, with no message; callers ignore the result.
int64_t StepwiseSeek(ByteSource *src, int64_t offset);
