// The probe's answers for the dialog scenarios: the display image read back from inside the program.
#pragma once
#include <windows.h>

#include "probe_protocol.h"

// Reads `display` as a bottom-up 24-bit picture and hashes its rows as the internal image's hash does.
void HashDisplayImage(HBITMAP display, ProbeDisplay *out);
