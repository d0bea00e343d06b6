// Progress reporting for long operations: a bar in the status bar, or a percentage text in the caption when it is
// hidden, with the step rules the operations report by.
#pragma once
#include <cstdint>

// When a row loop reports, and what it reports.
enum class ProgressRule {
    kStepPercent,    // once floor(20 i / H) has grown: floor(100 i / H) (stipple, the filters)
    kStepOfFive,     // once floor(20 i / H) has changed: 5 x that step (resize passes, rotation)
    kTenPercentRows, // every row whose floor(100 i / H) is a multiple of 10, repeats included (compression)
};

// What the end of the operation puts back.
enum class TitleAfter {
    kWhenCaptionUsed, // the title with the scale, where the caption carried the texts
    kAlways,          // the title with the scale in any case
    kNever,           // nothing: the next status text follows at once
};

struct ProgressOptions {
    ProgressRule rule = ProgressRule::kStepPercent;
    TitleAfter title = TitleAfter::kWhenCaptionUsed;
    bool textWithBar = false; // the text also goes to status part 0 while the bar is shown
};

class ProgressScope {
public:
    // captionFormat takes one %d, the percentage (for example "点描 %d%%").
    explicit ProgressScope(const char *captionFormat, ProgressOptions options = {});
    ~ProgressScope();
    ProgressScope(const ProgressScope &) = delete;
    ProgressScope &operator=(const ProgressScope &) = delete;

    // Before row `row` of `rows` (0-based, storage order): reports when the rule says so.
    void BeforeRow(int64_t row, int64_t rows);
    // A pass of a two-pass job: its own caption text, its span of the bar, its steps counted from 0 again.
    void StartPass(const char *captionFormat, int barFrom, int barTo);
    // Shows `percent` now (bar position, or the caption text).
    void Report(int percent);
    // The caption text alone, only where there is no bar (a job that announces its 0 % before the first row).
    void AnnounceWithoutBar(int percent);

    // Percentage of `done` out of `total` with a 64-bit intermediate, so big pictures cannot overflow it.
    static int Percent(int64_t done, int64_t total) { return total > 0 ? (int)(done * 100 / total) : 100; }
    // Whether the status bar was shown when the scope began.
    bool barShown() const { return barShown_; }

private:
    const char *format_;
    ProgressOptions options_;
    bool barShown_;
    int barFrom_ = 0, barTo_ = 100;
    int64_t lastStep_ = 0;
};
