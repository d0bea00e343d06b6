// Progress reporting shared by the long operations; maps onto the host's progress bar or caption text.
#include "platform/progress.h"

#include <cstdio>

#include "platform/host.h"

ProgressScope::ProgressScope(const char *captionFormat, ProgressOptions options)
    : format_(captionFormat), options_(options), barShown_(IsStatusBarShown()) {
    if (barShown_) BeginProgress();
}

ProgressScope::~ProgressScope() {
    if (barShown_) EndProgress();
    if (options_.title == TitleAfter::kAlways || (options_.title == TitleAfter::kWhenCaptionUsed && !barShown_))
        RestoreScaleTitle();
}

void ProgressScope::StartPass(const char *captionFormat, int barFrom, int barTo) {
    format_ = captionFormat;
    barFrom_ = barFrom;
    barTo_ = barTo;
    lastStep_ = 0;
}

void ProgressScope::BeforeRow(int64_t row, int64_t rows) {
    if (rows <= 0) return;
    switch (options_.rule) {
    case ProgressRule::kStepPercent: {
        const int64_t step = 20 * row / rows;
        if (step <= lastStep_) return;
        lastStep_ = step;
        Report(Percent(row, rows));
        return;
    }
    case ProgressRule::kStepOfFive: {
        const int64_t step = 20 * row / rows;
        if (step == lastStep_) return;
        lastStep_ = step;
        Report((int)(5 * step));
        return;
    }
    case ProgressRule::kTenPercentRows: {
        const int p = Percent(row, rows);
        if (p % 10 == 0) Report(p);
        return;
    }
    }
}

namespace {

void ShowText(const char *format, int percent) {
    if (!format) return;
    char text[128];
    snprintf(text, sizeof text, format, percent);
    ShowStatusText(0, text);
}

} // namespace

void ProgressScope::Report(int percent) {
    if (barShown_) SetProgress(barFrom_ + percent * (barTo_ - barFrom_) / 100);
    if (!barShown_ || options_.textWithBar) ShowText(format_, percent);
}

void ProgressScope::AnnounceWithoutBar(int percent) {
    if (!barShown_) ShowText(format_, percent);
}
