// Plain per-cell versions of the neighbourhood filters, written straight from their rules, for comparing the
// windowed kernels against on random pictures. Pictures are top-down rows of 0xRRGGBB; rows are converted to
// stored-row offsets here, so dy = +1 is the row above in these grids.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "adjust/min_variance.h"

namespace reference {

using Grid = std::vector<std::vector<uint32_t>>;

inline int Level(const Grid &g, int x, int yTop, int ch) { return (int)(g[yTop][x] >> (8 * ch)) & 255; }
inline bool Present(const Grid &g, int x, int yTop) {
    return yTop >= 0 && yTop < (int)g.size() && x >= 0 && x < (int)g[0].size();
}
inline uint32_t Put(uint32_t p, int ch, int v) { return (p & ~(0xFFu << (8 * ch))) | ((uint32_t)v << (8 * ch)); }

// ch: 0 blue, 1 green, 2 red; on[ch] says whether the channel is filtered.
inline Grid Noise(const Grid &g, int threshold, bool jpeg, const bool on[3]) {
    Grid out = g;
    for (int y = 0; y < (int)g.size(); ++y)
        for (int x = 0; x < (int)g[0].size(); ++x)
            for (int ch = 0; ch < 3; ++ch) {
                if (!on[ch]) continue;
                const int c = Level(g, x, y, ch);
                const int h = jpeg ? std::abs(126 - c) * 3 / 4 + 32 : 128;
                const int d = threshold * h / 128;
                int sw = 0, s = 0;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        if (!Present(g, x + dx, y - dy)) continue;
                        const int v = Level(g, x + dx, y - dy, ch);
                        if (std::abs(c - v) > d) continue;
                        const int w = (dx == 0 && dy == 0) ? 5 : (dx != 0 && dy != 0) ? 2 : 3;
                        sw += w;
                        s += w * v;
                    }
                out[y][x] = Put(out[y][x], ch, std::min(255, s / sw));
            }
    return out;
}

inline Grid Median(const Grid &g) {
    Grid out = g;
    for (int y = 0; y < (int)g.size(); ++y)
        for (int x = 0; x < (int)g[0].size(); ++x)
            for (int ch = 0; ch < 3; ++ch) {
                std::vector<int> v;
                int present = 0;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const bool in = Present(g, x + dx, y - dy);
                        v.push_back(in ? Level(g, x + dx, y - dy, ch) : -1);
                        present += in;
                    }
                std::sort(v.begin(), v.end());
                int i = 4 + (v[1] == -1) + (v[3] == -1);
                if (v[i] == -1) i = 9 - present;
                out[y][x] = Put(out[y][x], ch, v[i]);
            }
    return out;
}

inline Grid MinVariance(const Grid &g, const bool on[3]) {
    Grid out = g;
    for (int y = 0; y < (int)g.size(); ++y)
        for (int x = 0; x < (int)g[0].size(); ++x)
            for (int ch = 0; ch < 3; ++ch) {
                if (!on[ch]) continue;
                long best = -1;
                int bestMean = 0;
                for (int m = 0; m < 9; ++m) {
                    std::vector<int> cells = {Level(g, x, y, ch)};
                    for (int k = 0; k < VarianceMaskSize(m); ++k) {
                        const int xx = x + kVarianceMasks[m][k].dx, yy = y - kVarianceMasks[m][k].dy;
                        if (Present(g, xx, yy)) cells.push_back(Level(g, xx, yy, ch));
                    }
                    int sum = 0;
                    for (int c : cells) sum += c;
                    const int mean = sum / (int)cells.size();
                    long spread = 0;
                    for (int c : cells) spread += (long)(mean - c) * (mean - c);
                    if (best < 0 || spread < best) {
                        best = spread;
                        bestMean = mean;
                    }
                }
                out[y][x] = Put(out[y][x], ch, bestMean);
            }
    return out;
}

// The edge map: each pixel's largest level difference, over channels, to the cells (x, y - 1), (x + 1, y + 1),
// (x + 1, y), (x + 1, y - 1) of these top-down grids that exist, as a grey.
inline Grid Edges(const Grid &g) {
    Grid out = g;
    const int dx[4] = {0, 1, 1, 1}, dy[4] = {-1, 1, 0, -1};
    for (int y = 0; y < (int)g.size(); ++y)
        for (int x = 0; x < (int)g[0].size(); ++x) {
            int m = 0;
            for (int ch = 0; ch < 3; ++ch)
                for (int k = 0; k < 4; ++k)
                    if (Present(g, x + dx[k], y + dy[k]))
                        m = std::max(m, std::abs(Level(g, x, y, ch) - Level(g, x + dx[k], y + dy[k], ch)));
            out[y][x] = 0x010101u * (uint32_t)m;
        }
    return out;
}

// A random picture whose levels come from `levels` distinct values (few values make ties and equal cells common).
inline Grid RandomGrid(int w, int h, uint32_t seed, int levels) {
    Grid g(h, std::vector<uint32_t>(w));
    uint32_t s = seed * 2654435761u + 7;
    for (auto &row : g)
        for (auto &p : row) {
            uint32_t v = 0;
            for (int ch = 0; ch < 3; ++ch) {
                s = s * 1103515245u + 12345u;
                v |= (uint32_t)(((s >> 16) % (uint32_t)levels) * 255 / (levels > 1 ? levels - 1 : 1)) << (8 * ch);
            }
            p = v;
        }
    return g;
}

} // namespace reference
