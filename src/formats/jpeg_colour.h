// Turns one decoded MCU into stored pixels: the program's own YCbCr coefficients and chroma by replication.
#pragma once
#include <cstddef>
#include <cstdint>

// blocks: lumaH x lumaV luminance blocks in decode order (left to right, top to bottom), then Cb, then Cr; each
// 64 values after the inverse DCT. dst: the MCU's top-left pixel; down: bytes from one picture row to the one
// below it (negative in a bottom-up picture). Only cols x rows pixels are stored.
void StoreColourMcu(const int16_t *blocks, int lumaH, int lumaV, uint8_t *dst, ptrdiff_t down, int cols, int rows);
// One grey block: the clamped value in all three bytes.
void StoreGreyMcu(const int16_t *block, uint8_t *dst, ptrdiff_t down, int cols, int rows);

// The per-pixel rule, for tests and the tail pixels: blue, green, red from 16 x Y + k x C, cut to 0..255.
void ConvertJpegPixel(int y, int cb, int cr, uint8_t bgr[3]);
