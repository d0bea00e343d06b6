// The probe's answers for the text add-in's scenarios (queries 0x0E2E05xx).
#pragma once
#include <windows.h>

#include "probe_protocol.h"

// Answers `query` when it is one of the text add-in's; false otherwise.
bool AnswerTextQuery(HWND frame, ProbeBlock *block, ULONG_PTR query, void **context);
