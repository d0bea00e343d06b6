// Puts a freshly written file in place of another in one step, so a failed save never leaves a half file.
#pragma once

// Renames `from` over `to`, replacing any file there. Returns false (and leaves `to` as it was) on failure.
bool ReplaceFileWith(const char *from, const char *to);
