// Dropped files: which are opened, and when the one-at-a-time question comes.
#include <gtest/gtest.h>

#include <deque>
#include <vector>

#include "view/drop_sequence.h"

namespace {

struct DropRun {
    std::vector<int> opened;
    std::vector<int> askedAfter; // the file shown when each question came
    int last = -2;
};

DropRun Drop(int count, std::deque<DropAnswer> answers) {
    DropRun run;
    run.last = RunDropSequence(
        count, [&](int i) { run.opened.push_back(i); },
        [&] {
            run.askedAfter.push_back(run.opened.back());
            EXPECT_FALSE(answers.empty()) << "asked more often than expected";
            if (answers.empty()) return DropAnswer::kCancel;
            DropAnswer a = answers.front();
            answers.pop_front();
            return a;
        });
    EXPECT_TRUE(answers.empty()) << "asked less often than expected";
    return run;
}

} // namespace

TEST(DropSequence, OneFileOpensWithoutAQuestion) {
    DropRun r = Drop(1, {});
    EXPECT_EQ(r.opened, std::vector<int>{0});
    EXPECT_TRUE(r.askedAfter.empty());
    EXPECT_EQ(r.last, 0);
}

TEST(DropSequence, NoOpensTheRestWithoutAsking) {
    DropRun r = Drop(3, {DropAnswer::kNo});
    EXPECT_EQ(r.opened, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(r.askedAfter, std::vector<int>{0});
    EXPECT_EQ(r.last, 2);
}

TEST(DropSequence, YesAsksAfterEveryPictureButTheLast) {
    DropRun r = Drop(3, {DropAnswer::kYes, DropAnswer::kYes});
    EXPECT_EQ(r.opened, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(r.askedAfter, (std::vector<int>{0, 1}));
    EXPECT_EQ(r.last, 2);
}

TEST(DropSequence, CancelStopsAfterTheCurrentFile) {
    DropRun first = Drop(3, {DropAnswer::kCancel});
    EXPECT_EQ(first.opened, std::vector<int>{0});
    EXPECT_EQ(first.last, 0);
    DropRun second = Drop(4, {DropAnswer::kYes, DropAnswer::kCancel});
    EXPECT_EQ(second.opened, (std::vector<int>{0, 1}));
    EXPECT_EQ(second.last, 1);
}

TEST(DropSequence, NothingDroppedOpensNothing) {
    DropRun r = Drop(0, {});
    EXPECT_TRUE(r.opened.empty());
    EXPECT_EQ(r.last, -1);
}
