// Stepwise seek: long moves are made in fixed steps, each checked against the position it must reach.
#include "formats/stepwise_seek.h"

#include "platform/host.h"

namespace {

constexpr int64_t kSeekStep = 16383;

int64_t SeekFailed() {
    ShowMessage("ファイルが壊れています", "Internal error");
    return 0;
}

} // namespace

int64_t StepwiseSeek(ByteSource *src, int64_t offset) {
    if (offset == 0) return 1;
    if (offset < kSeekStep) {
        const int64_t reached = SourceSeek(src, offset);
        return reached < 0 ? SeekFailed() : reached;
    }
    int64_t reached = SourceSeek(src, kSeekStep);
    if (reached < 0 || reached != kSeekStep) return SeekFailed();
    int64_t done = kSeekStep;
    while (offset - done >= kSeekStep) {
        done += kSeekStep;
        reached = SourceSeekBy(src, kSeekStep);
        if (reached < 0 || reached != done) return SeekFailed();
    }
    // Exactly one step's worth ends here with nothing left to move, and the answer is 0 all the same.
    if (offset == done) return offset == kSeekStep ? 0 : offset;
    reached = SourceSeekBy(src, offset - done);
    if (reached < 0 || reached != offset) return SeekFailed();
    return offset;
}
