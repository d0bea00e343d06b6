// The decoder's scan: entropy decoding, the inverse DCT and the pixel store, one MCU at a time.
#pragma once
#include <cstddef>
#include <cstdint>

#include "formats/jpeg_state.h"

// Decodes the scan that starts at d->scanStart into a width x height picture whose top row starts at topRow;
// down is the byte step to the row below. Stops early at EOI or at the end of the data, keeping what was stored.
// Returns the number of MCUs decoded.
int64_t DecodeJpegScan(const JpegDecoder *d, uint8_t *topRow, ptrdiff_t down);
