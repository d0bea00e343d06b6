// Progress reporting shared by the kernels; maps onto the host's progress bar or caption text.
#include "platform/progress.h"

#include <cstdio>

#include "platform/host.h"

ProgressScope::ProgressScope(const char *captionFormat)
    : format_(captionFormat), barShown_(IsStatusBarShown()), last_(-1) {
    if (barShown_) BeginProgress();
}

ProgressScope::~ProgressScope() {
    if (barShown_) EndProgress();
    else RestoreScaleTitle();
}

void ProgressScope::Report(int percent) {
    if (percent == last_) return;
    last_ = percent;
    if (barShown_) {
        SetProgress(percent);
    } else {
        char text[128];
        snprintf(text, sizeof text, format_, percent);
        ShowStatusText(0, text);
    }
}
