// Density and contrast of 24-bit pictures through per-channel tables.
#include "adjust/tone.h"

#include <cmath>

namespace {

struct SineTable {
    float t[64];
    SineTable() {
        // Rounded to 5 decimals so the table does not hang on the maths library's last bit.
        for (int i = 0; i < 64; ++i) t[i] = (float)(std::floor(std::sin(i * 3.14159265358979323846 / 128) * 1e5 + 0.5) / 1e5);
    }
};

const SineTable &Sine() {
    static const SineTable table;
    return table;
}

int ClampLevel(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

} // namespace

float ContrastSine(int index) { return Sine().t[index & 63]; }

float ContrastShape(int level) {
    const float *t = Sine().t;
    if (level < 64) return t[level];
    if (level < 128) return t[127 - level];
    if (level < 192) return -t[level - 128];
    return -t[255 - level];
}

int DensityLevel(int level, int density) {
    if (density == 0) return level;
    // Each division truncates toward zero on its own, which is why 255 drops to 254 only from -33 down.
    const int v = level + density * level / 64 - density * level * level / 16384;
    return ClampLevel(v);
}

int ContrastLevel(int level, int contrast) {
    if (contrast == 0) return level;
    // The value as a float, the 1.6 as a double, the product with the shape in double, truncated toward zero.
    const double shift = ((double)(float)contrast / 1.6) * (double)ContrastShape(level);
    return ClampLevel((int)((double)level - shift));
}

void BuildToneTables(const ToneSettings &s, ToneTables *tables) {
    const int density[3] = {s.densityBlue, s.densityGreen, s.densityRed};
    for (int ch = 0; ch < 3; ++ch) {
        // Density is applied whatever the switches say; the contrast only on switched-on channels.
        const int k = s.channels.ByteOn(ch) ? s.contrast : 0;
        for (int v = 0; v < 256; ++v) tables->level[ch][v] = (unsigned char)ContrastLevel(DensityLevel(v, density[ch]), k);
    }
}

void ToneRow(unsigned char *row, int width, const ToneTables &tables) {
    const unsigned char *b = tables.level[0], *g = tables.level[1], *r = tables.level[2];
    for (int x = 0; x < width; ++x, row += 3) {
        row[0] = b[row[0]];
        row[1] = g[row[1]];
        row[2] = r[row[2]];
    }
}

int ToneRun(PackedDib picture, const ToneSettings &settings, bool reportProgress) {
    LockedPicture24 pic(picture);
    if (!pic.ok()) return 0;
    ToneTables tables;
    BuildToneTables(settings, &tables);
    RowProgress progress(reportProgress, nullptr, pic.height);
    ForEachPictureRow(pic.height, &progress, [&](int row) { ToneRow(pic.Row(row), pic.width, tables); });
    return 1;
}
