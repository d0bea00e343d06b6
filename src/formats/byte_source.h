// A small byte-source record for the file readers: an open file or a block of memory, read and seeked alike.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>

struct ByteSource {
    FILE *file = nullptr;                 // owned when opened by OpenFileSource
    const unsigned char *data = nullptr;  // memory source
    int64_t size = 0;                     // bytes in the whole source
    int64_t pos = 0;                      // current position; may lie past the end (reads then return 0)
};

// Opens a file for reading; false when it cannot be opened.
bool OpenFileSource(ByteSource *src, const char *path);
void OpenMemorySource(ByteSource *src, const void *data, size_t size);
void CloseSource(ByteSource *src);

// Reads up to `bytes` bytes; returns how many arrived.
size_t SourceRead(ByteSource *src, void *out, size_t bytes);
// Absolute and relative moves; each returns the new position, or -1 when the position would be negative or the
// file refuses it. Moving past the end is allowed, as with the platform's seek.
int64_t SourceSeek(ByteSource *src, int64_t absolute);
int64_t SourceSeekBy(ByteSource *src, int64_t delta);
// Bytes between the current position and the end (0 when past it).
int64_t SourceRemaining(const ByteSource *src);
