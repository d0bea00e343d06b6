// Dropped files one after another, with the "one at a time?" question between them.
#include "view/drop_sequence.h"

int RunDropSequence(int count, const std::function<void(int)> &open, const std::function<DropAnswer()> &ask) {
    bool asking = count > 1;
    int last = -1;
    for (int i = 0; i < count; ++i) {
        open(i);
        last = i;
        // Nothing is left to ask about after the last file.
        if (!asking || i == count - 1) continue;
        DropAnswer answer = ask();
        if (answer == DropAnswer::kCancel) break;
        if (answer == DropAnswer::kNo) asking = false;
    }
    return last;
}
