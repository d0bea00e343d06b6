// Walks the JPEG segments from SOI to the first SOS: frame header, quantisation and Huffman tables, the rest skipped.
#include "formats/jpeg_markers.h"

#include "formats/jpeg_decode.h"
#include "formats/jpeg_huffman.h"

namespace {

// One segment's payload (after its length field).
struct Segment {
    const uint8_t *p;
    size_t length;
};

int ReadFrame(JpegDecoder *d, Segment s) {
    if (s.length < 6) return kJpegDamaged;
    const int count = s.p[5];
    if (count < 1 || count > 3 || s.length < 6 + 3 * (size_t)count) return kJpegDamaged;
    for (int i = 0; i < count; ++i) {
        const uint8_t *c = s.p + 6 + 3 * i;
        if (c[2] > 3) return kJpegDamaged;
    }
    // The precision byte is not looked at: every frame is taken as 8-bit.
    d->height = s.p[1] << 8 | s.p[2];
    d->width = s.p[3] << 8 | s.p[4];
    d->componentCount = count;
    for (int i = 0; i < count; ++i) {
        const uint8_t *c = s.p + 6 + 3 * i;
        d->comp[i].id = c[0];
        d->comp[i].h = c[1] >> 4;
        d->comp[i].v = c[1] & 15;
        d->comp[i].tq = c[2];
    }
    d->frameSeen = true;
    return kJpegOk;
}

int ReadHuffmanTables(JpegDecoder *d, Segment s) {
    size_t q = 0;
    while (q < s.length) {
        if (s.length - q < 17) return kJpegDamaged;
        const int tc = s.p[q] >> 4, th = s.p[q] & 15;
        if (tc > 1 || th > 3) return kJpegDamaged;
        const uint8_t *counts = s.p + q + 1;
        size_t total = 0;
        for (int i = 0; i < 16; ++i) total += counts[i];
        if (total > s.length - q - 17) return kJpegDamaged;
        switch (BuildHuffmanLookup(d, HuffmanSlot(tc == 1, th), counts, counts + 16)) {
        case HuffmanBuild::Ok: break;
        case HuffmanBuild::NoMemory: return kJpegNoMemory;
        default: return kJpegDamaged;
        }
        q += 17 + total;
    }
    return kJpegOk;
}

int ReadQuantTables(JpegDecoder *d, Segment s) {
    size_t q = 0;
    while (q < s.length) {
        const int pq = s.p[q] >> 4, tq = s.p[q] & 15;
        if (pq > 1 || tq > 3) return kJpegDamaged;
        const size_t need = 64 * (size_t)(pq + 1);
        if (s.length - q - 1 < need) return kJpegDamaged;
        const uint8_t *v = s.p + q + 1;
        for (int j = 0; j < 64; ++j)
            d->quant[tq][kJpegNatural[j]] = pq ? (uint16_t)(v[2 * j] << 8 | v[2 * j + 1]) : v[j];
        d->quantDefined[tq] = true;
        q += 1 + need;
    }
    return kJpegOk;
}

// A slot the scan names but no DHT defined gets the standard table of its number, where there is one.
int EnsureHuffmanSlot(JpegDecoder *d, bool ac, int number) {
    const int slot = HuffmanSlot(ac, number);
    if (d->lookup[slot]) return kJpegOk;
    const uint8_t *counts, *symbols;
    if (!StandardHuffmanTable(ac, number, &counts, &symbols)) return kJpegDamaged;
    return BuildHuffmanLookup(d, slot, counts, symbols) == HuffmanBuild::Ok ? kJpegOk : kJpegNoMemory;
}

int ChooseLayout(JpegDecoder *d) {
    if (d->componentCount == 1) {
        // Grey pictures are decoded as 8 x 8 MCUs whatever factors they declare.
        d->lumaH = d->lumaV = 1;
        return kJpegOk;
    }
    if (d->componentCount != 3) return kJpegDamaged;
    for (int i = 1; i < 3; ++i)
        if (d->comp[i].h != 1 || d->comp[i].v != 1) return kJpegDamaged;
    const int h = d->comp[0].h, v = d->comp[0].v;
    if (h < 1 || h > 2 || v < 1 || v > 2) return kJpegDamaged;
    d->lumaH = h;
    d->lumaV = v;
    return kJpegOk;
}

int ReadScanHeader(JpegDecoder *d, Segment s) {
    if (!d->frameSeen || d->width == 0 || d->height == 0) return kJpegDamaged;
    if (s.length < 1) return kJpegDamaged;
    const int count = s.p[0];
    if (count < 1 || count > 3 || s.length < 4 + 2 * (size_t)count) return kJpegDamaged;
    // Only interleaved scans of the whole frame are decoded; the i-th scan component is the i-th frame component.
    if (count != d->componentCount) return kJpegDamaged;
    for (int i = 0; i < count; ++i) {
        const int td = s.p[2 + 2 * i] >> 4, ta = s.p[2 + 2 * i] & 15;
        if (td > 3 || ta > 3) return kJpegDamaged;
        d->comp[i].td = td;
        d->comp[i].ta = ta;
    }
    for (int i = 0; i < count; ++i) {
        if (!d->quantDefined[d->comp[i].tq]) return kJpegDamaged;
        int rc = EnsureHuffmanSlot(d, false, d->comp[i].td);
        if (rc == kJpegOk) rc = EnsureHuffmanSlot(d, true, d->comp[i].ta);
        if (rc != kJpegOk) return rc;
    }
    return ChooseLayout(d);
}

bool IsOtherFrame(uint8_t m) {
    return m >= 0xC1 && m <= 0xCF && m != 0xC4 && m != 0xC8;
}

bool IsSkippedSegment(uint8_t m) {
    return m == 0xC8 || (m >= 0xDC && m <= 0xFE && m != 0xFF);
}

// Moves past non-0xFF bytes, then past the 0xFF and any fill bytes; false at the end of the data.
bool NextMarker(const uint8_t *b, size_t size, size_t *p, uint8_t *marker) {
    size_t i = *p;
    while (i < size && b[i] != 0xFF) ++i;
    while (i < size && b[i] == 0xFF) ++i;
    if (i >= size) return false;
    *marker = b[i];
    *p = i + 1;
    return true;
}

} // namespace

int ReadJpegHeaders(JpegDecoder *d) {
    const uint8_t *b = d->data;
    const size_t size = d->size;
    size_t p = 0;
    uint8_t m;
    // Junk before the first marker is passed over; that marker must be SOI.
    if (!NextMarker(b, size, &p, &m) || m != 0xD8) return kJpegDamaged;
    for (;;) {
        if (!NextMarker(b, size, &p, &m)) return kJpegDamaged; // the data ended before a scan
        if (m == 0xD9) return kJpegDamaged;                     // EOI before any scan: no picture
        if (IsOtherFrame(m)) return kJpegUnsupportedFrame;
        const bool hasLength = m == 0xC0 || m == 0xC4 || m == 0xDA || m == 0xDB || IsSkippedSegment(m);
        if (!hasLength) continue; // SOI again, RST, and unknown markers carry nothing
        if (size - p < 2) return kJpegDamaged;
        const size_t length = (size_t)b[p] << 8 | b[p + 1];
        // A length below 2 would not move the scan forward.
        if (length < 2 || length > size - p) return kJpegDamaged;
        const Segment s{b + p + 2, length - 2};
        const size_t next = p + length;
        int rc = kJpegOk;
        switch (m) {
        case 0xC0: rc = ReadFrame(d, s); break;
        case 0xC4: rc = ReadHuffmanTables(d, s); break;
        case 0xDB: rc = ReadQuantTables(d, s); break;
        case 0xDA:
            rc = ReadScanHeader(d, s);
            if (rc != kJpegOk) return rc;
            d->scanStart = next;
            return kJpegOk;
        default: break; // DRI included: restart markers are found wherever they stand
        }
        if (rc != kJpegOk) return rc;
        p = next;
    }
}
