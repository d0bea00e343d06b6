// The decoder's marker scan: walks the segments up to the first scan and records frame, tables and layout.
#pragma once
#include "formats/jpeg_state.h"

// Returns 0 with d->scanStart at the first byte of entropy-coded data, every table the scan needs in place and the
// sampling layout chosen; otherwise the result code (101, 105 or 106).
int ReadJpegHeaders(JpegDecoder *d);
