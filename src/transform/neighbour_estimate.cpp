// The neighbour estimate that steers enlargement: how far a byte stands from what each direction predicts.
#include <cstdlib>

#include "transform/resize.h"

NeighbourEstimateResult NeighbourEstimate(const unsigned char *pixels, size_t stride, int width, int height,
                                          int column, int row, int channel) {
    const int b = column, c = row;
    auto at = [&](int col, int r) -> int { return pixels[stride * (size_t)r + 3 * (size_t)col + channel]; };
    const int centre = at(b, c);
    static const int kOrder[9] = {0, 3, 6, 1, 4, 7, 2, 5, 8};
    NeighbourEstimateResult best = {0, 4};
    for (int d : kOrder) {
        const int i = d % 3 - 1, j = d / 3 - 1;
        if (b + i - 1 < 0 || c + j - 1 < 0 || b + i + 2 > width || c + j + 2 > height) continue;
        int estimate;
        switch (d) {
        case 0: estimate = (at(b, c - 1) + at(b - 1, c)) / 2; break;
        case 1: estimate = (at(b - 1, c - 1) + at(b, c - 1) + at(b + 1, c - 1)) / 3; break;
        case 2: estimate = (at(b, c - 1) + at(b + 1, c)) / 2; break;
        case 3: estimate = (at(b - 1, c - 1) + at(b - 1, c) + at(b - 1, c + 1)) / 3; break;
        case 5: estimate = (at(b + 1, c - 1) + at(b + 1, c) + at(b + 1, c + 1)) / 3; break;
        case 6: estimate = (at(b, c + 1) + at(b - 1, c)) / 2; break;
        case 7: estimate = (at(b - 1, c + 1) + at(b, c + 1) + at(b + 1, c + 1)) / 3; break;
        case 8: estimate = (at(b, c + 1) + at(b + 1, c)) / 2; break;
        default: estimate = centre; break;
        }
        const int difference = std::abs(centre - estimate);
        if (difference > best.difference) best = {difference, d};
    }
    return best;
}
