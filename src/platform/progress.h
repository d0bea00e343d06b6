// Progress reporting for long kernels: a bar in the status bar, or a percentage text in the caption when it is hidden.
#pragma once
#include <cstdint>

class ProgressScope {
public:
    // captionFormat takes one %d, the percentage (for example "点描 %d%%").
    explicit ProgressScope(const char *captionFormat);
    ~ProgressScope();
    ProgressScope(const ProgressScope &) = delete;
    ProgressScope &operator=(const ProgressScope &) = delete;

    void Report(int percent);
    // Percentage of `done` out of `total` with a 64-bit intermediate, so big pictures cannot overflow it.
    static int Percent(int64_t done, int64_t total) { return total > 0 ? (int)(done * 100 / total) : 100; }
    // Whether the status bar was shown when the scope began; the caption is restored at the end otherwise.
    bool barShown() const { return barShown_; }

private:
    const char *format_;
    bool barShown_;
    int last_;
};
