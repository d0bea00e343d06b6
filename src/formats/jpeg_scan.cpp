// Decodes the entropy-coded data of the first scan: Huffman symbols through the 16-bit lookups, DC prediction,
// dequantisation, the inverse DCT and the marker check after every MCU.
#include "formats/jpeg_scan.h"

#include <cstring>

#include "formats/jpeg_colour.h"
#include "formats/jpeg_huffman.h"
#include "formats/jpeg_idct.h"

namespace {

// Reads the stream most significant bit first, dropping the 0x00 that follows each 0xFF. Bits are kept at the
// top of a 64-bit word. Past the end of the file image it supplies zero bits and reads no memory.
struct BitReader {
    const uint8_t *buf;
    size_t end;       // file length plus the zero pad
    size_t pos;       // next byte to load
    size_t resetPos;  // where loading last (re)started
    uint64_t acc = 0;
    int bits = 0;

    void Reset(size_t at) {
        pos = resetPos = at;
        acc = 0;
        bits = 0;
    }

    void Fill() {
        if (pos + 8 <= end) {
            uint64_t w;
            memcpy(&w, buf + pos, 8);
            const uint64_t inv = ~w;
            // No 0xFF among the eight bytes: take as many whole bytes as fit in one go.
            if (((inv - 0x0101010101010101ull) & ~inv & 0x8080808080808080ull) == 0) {
                w = __builtin_bswap64(w);
                const int take = (64 - bits) >> 3;
                const int now = bits + 8 * take;
                acc |= (w >> bits) & (~0ull << (64 - now));
                bits = now;
                pos += take;
                return;
            }
        }
        while (bits <= 56) {
            uint64_t b = 0;
            if (pos < end) {
                b = buf[pos];
                if (b == 0xFF && pos + 1 < end && buf[pos + 1] == 0) ++pos;
            }
            ++pos;
            acc |= b << (56 - bits);
            bits += 8;
        }
    }

    // One Huffman symbol: the entry of the 16-bit lookup for the next 16 bits, read from the small table when
    // the first bits already decide it.
    int Symbol(const uint16_t *fast, const uint16_t *lookup) {
        if (bits < 32) Fill();
        uint32_t e = fast[acc >> (64 - kJpegFastBits)];
        if (e == 0) e = lookup[acc >> 48];
        const int len = (int)(e >> 8);
        acc <<= len;
        bits -= len;
        return (int)(e & 0xFF);
    }

    // s bits (1..15) extended to a signed value (T.81 F.2.2.1 EXTEND).
    int Extended(int s) {
        const int v = (int)(acc >> (64 - s));
        acc <<= s;
        bits -= s;
        return v < (1 << (s - 1)) ? v - (1 << s) + 1 : v;
    }

    // The byte that holds the next unread bit, and that bit's position in it, found by stepping back over the
    // bytes still held in the word (a loaded 0xFF also stood for the 0x00 after it).
    size_t CurrentByte(int *bit) const {
        size_t p = pos;
        for (int held = (bits + 7) >> 3; held > 0; --held) {
            if (p >= 2 && p - 2 >= resetPos && p - 1 < end && buf[p - 1] == 0 && buf[p - 2] == 0xFF) p -= 2;
            else p -= 1;
        }
        *bit = (8 - (bits & 7)) & 7;
        return p;
    }
};

inline uint8_t ByteAt(const uint8_t *b, size_t end, size_t i) { return i < end ? b[i] : 0; }

int16_t PredictorStart(const uint16_t *q) { return (int16_t)(q[0] ? 1024 / q[0] : 1024); }

enum class McuEnd { Go, Stop };

struct ScanState {
    const JpegDecoder *d;
    BitReader in;
    int16_t pred[3];
    const uint16_t *q[3];
    const uint16_t *dc[3], *dcFast[3];
    const uint16_t *ac[3], *acFast[3];

    void ResetPredictors() {
        pred[0] = PredictorStart(q[0]);
        pred[1] = pred[2] = 0;
    }

    // One block: DC difference and AC run/size pairs into natural order, dequantised with 16-bit results; then
    // the inverse DCT. out must be zeroed.
    void DecodeBlock(int c, int16_t *out) {
        const uint16_t *qt = q[c];
        int s = in.Symbol(dcFast[c], dc[c]);
        if (s) pred[c] = (int16_t)(pred[c] + in.Extended(s));
        out[0] = (int16_t)(pred[c] * qt[0]);
        bool acSeen = false;
        const uint16_t *acTable = ac[c], *acFastTable = acFast[c];
        for (int k = 1; k < 64; ++k) {
            const int rs = in.Symbol(acFastTable, acTable);
            const int r = rs >> 4;
            s = rs & 15;
            if (s == 0 && r == 0) break; // EOB, or a pattern that matches no code
            const int v = s ? in.Extended(s) : 0;
            k += r;
            if (k > 63) k = 63; // a run past the end lands on the last position
            const int n = kJpegNatural[k];
            out[n] = (int16_t)(uint32_t)((uint32_t)qt[n] * (uint32_t)v);
            acSeen = true;
        }
        if (acSeen) {
            JpegIdct(out);
        } else {
            // DC alone: the row pass copies it along row 0 and the column pass shifts it by 3.
            const int16_t flat = (int16_t)(out[0] >> 3);
            for (int i = 0; i < 64; ++i) out[i] = flat;
        }
    }

    // After each MCU: restart markers wherever they stand, and the end of the data.
    McuEnd MarkerCheck() {
        const uint8_t *b = d->data;
        const size_t size = d->size, end = in.end;
        int bit;
        size_t cur = in.CurrentByte(&bit);
        bool moved = false;
        // The MCU ended inside a stuffed 0xFF whose rest is padding, and a marker follows the stuffing byte.
        if (ByteAt(b, end, cur) == 0xFF && ByteAt(b, end, cur + 1) == 0 && ByteAt(b, end, cur + 2) == 0xFF &&
            ByteAt(b, end, cur + 3) != 0) {
            cur += 2;
            bit = 0;
            moved = true;
        }
        // A marker at the next byte boundary ends the MCU data only if the rest of the current byte is padding
        // (all 1-bits, which no code can be); otherwise the next MCU starts in those bits and must be decoded.
        const int restMask = (1 << (8 - bit)) - 1;
        const bool restIsPadding = bit == 0 || (ByteAt(b, end, cur) & restMask) == restMask;
        const size_t at = bit ? cur + 1 : cur;
        if (restIsPadding && ByteAt(b, end, at) == 0xFF) {
            size_t m = at + 1;
            while (m < size && b[m] == 0xFF) ++m; // fill bytes
            const uint8_t marker = ByteAt(b, end, m);
            if (marker >= 0xD0 && marker <= 0xD7) {
                ResetPredictors();
                in.Reset(m + 1);
                return m + 1 >= size ? McuEnd::Stop : McuEnd::Go;
            }
            if (marker == 0xD9) return McuEnd::Stop;
        }
        if (cur >= size) return McuEnd::Stop;
        if (moved) in.Reset(cur);
        return McuEnd::Go;
    }
};

} // namespace

int64_t DecodeJpegScan(const JpegDecoder *d, uint8_t *topRow, ptrdiff_t down) {
    ScanState st;
    st.d = d;
    st.in.buf = d->data;
    st.in.end = d->size + kJpegPad;
    st.in.Reset(d->scanStart);
    for (int c = 0; c < d->componentCount; ++c) {
        st.q[c] = d->quant[d->comp[c].tq];
        st.dc[c] = d->lookup[HuffmanSlot(false, d->comp[c].td)];
        st.ac[c] = d->lookup[HuffmanSlot(true, d->comp[c].ta)];
        st.dcFast[c] = d->fast[HuffmanSlot(false, d->comp[c].td)];
        st.acFast[c] = d->fast[HuffmanSlot(true, d->comp[c].ta)];
    }
    st.ResetPredictors();
    // A scan that starts at or past the end of the data has nothing to decode.
    if (d->scanStart >= d->size) return 0;

    const bool grey = d->componentCount == 1;
    const int lumaH = d->lumaH, lumaV = d->lumaV;
    const int mcuW = 8 * lumaH, mcuH = 8 * lumaV;
    const int lumaBlocks = lumaH * lumaV;
    const int blockCount = grey ? 1 : lumaBlocks + 2;
    const int mcusX = (d->width + mcuW - 1) / mcuW, mcusY = (d->height + mcuH - 1) / mcuH;
    // Y blocks, then Cb, then Cr, 64 values each: the order the colour store reads them in.
    alignas(16) int16_t blocks[6 * 64];
    int64_t decoded = 0;
    for (int my = 0; my < mcusY; ++my) {
        const int rows = d->height - my * mcuH < mcuH ? d->height - my * mcuH : mcuH;
        uint8_t *rowStart = topRow + down * (ptrdiff_t)my * mcuH;
        for (int mx = 0; mx < mcusX; ++mx) {
            memset(blocks, 0, sizeof(int16_t) * 64 * blockCount);
            for (int i = 0; i < blockCount; ++i)
                st.DecodeBlock(i < lumaBlocks ? 0 : i - lumaBlocks + 1, blocks + 64 * i);
            const int cols = d->width - mx * mcuW < mcuW ? d->width - mx * mcuW : mcuW;
            uint8_t *dst = rowStart + (ptrdiff_t)3 * mx * mcuW;
            if (grey) StoreGreyMcu(blocks, dst, down, cols, rows);
            else StoreColourMcu(blocks, lumaH, lumaV, dst, down, cols, rows);
            ++decoded;
            if (st.MarkerCheck() == McuEnd::Stop) return decoded;
        }
    }
    return decoded;
}
