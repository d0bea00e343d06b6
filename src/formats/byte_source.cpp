// Byte sources over files and memory, so the BMP reader runs the same on disk files and on fuzzer inputs.
#include "formats/byte_source.h"

#include <climits>
#include <cstring>

bool OpenFileSource(ByteSource *src, const char *path) {
    *src = ByteSource();
    FILE *f = fopen(path, "rb");
    if (!f) return false;
    // The size bounds what the reader may allocate; a file too large for `long` is reported as the largest
    // size we can address, which the size guard refuses anyway.
    int64_t size = -1;
    if (fseek(f, 0, SEEK_END) == 0) size = ftell(f);
    if (size < 0) size = LONG_MAX;
    if (fseek(f, 0, SEEK_SET) != 0) {
        fclose(f);
        return false;
    }
    src->file = f;
    src->size = size;
    return true;
}

void OpenMemorySource(ByteSource *src, const void *data, size_t size) {
    *src = ByteSource();
    src->data = static_cast<const unsigned char *>(data);
    src->size = (int64_t)size;
}

void CloseSource(ByteSource *src) {
    if (src->file) fclose(src->file);
    *src = ByteSource();
}

size_t SourceRead(ByteSource *src, void *out, size_t bytes) {
    if (bytes == 0 || src->pos >= src->size) return 0;
    size_t n;
    if (src->file) {
        n = fread(out, 1, bytes, src->file);
    } else {
        const int64_t left = src->size - src->pos;
        n = (int64_t)bytes < left ? bytes : (size_t)left;
        memcpy(out, src->data + src->pos, n);
    }
    src->pos += (int64_t)n;
    return n;
}

int64_t SourceSeek(ByteSource *src, int64_t absolute) {
    if (absolute < 0 || absolute > LONG_MAX) return -1;
    if (src->file && fseek(src->file, (long)absolute, SEEK_SET) != 0) return -1;
    src->pos = absolute;
    return absolute;
}

int64_t SourceSeekBy(ByteSource *src, int64_t delta) {
    return SourceSeek(src, src->pos + delta);
}

int64_t SourceRemaining(const ByteSource *src) {
    return src->pos < src->size ? src->size - src->pos : 0;
}
