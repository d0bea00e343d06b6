// POSIX rename replaces the target atomically.
#include "platform/file_replace.h"

#include <cstdio>

bool ReplaceFileWith(const char *from, const char *to) { return rename(from, to) == 0; }
