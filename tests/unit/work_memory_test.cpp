// The shortage policy of work allocations: what goes first, what the user is told, and the test switch's text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/work_memory.h"
#include "test_host.h"

namespace {

const std::string kUndoMessage = "(default)|グローバルメモリが足りないので\nUnDoバッファを開放します";
const std::string kNoMemoryMessage = "(default)|グローバルメモリが足りません";

// A document with a display image and an undo copy, and an allocator that fails a given number of times.
struct FakeDocument {
    bool display = true;
    bool undo = true;
    int failuresLeft = 0;
    int attempts = 0;
    std::vector<std::string> events; // in order: "alloc-fail", "alloc", "display", "undo"
};
FakeDocument gFake;

PackedDib FakeAllocate(size_t bytes) {
    ++gFake.attempts;
    if (gFake.failuresLeft > 0) {
        --gFake.failuresLeft;
        gFake.events.push_back("alloc-fail");
        return nullptr;
    }
    gFake.events.push_back("alloc");
    return BlockAlloc(bytes);
}
bool FakeReleaseDisplay() {
    if (!gFake.display) return false;
    gFake.display = false;
    gFake.events.push_back("display");
    return true;
}
bool FakeHasUndo() { return gFake.undo; }
void FakeReleaseUndo() {
    // The user must have been told before the copy goes.
    EXPECT_EQ(TestHost().messages.size(), 1u);
    gFake.undo = false;
    gFake.events.push_back("undo");
}

ShortageSteps FakeSteps() {
    ShortageSteps s;
    s.allocate = FakeAllocate;
    s.releaseDisplayImage = FakeReleaseDisplay;
    s.hasUndoCopy = FakeHasUndo;
    s.releaseUndoCopy = FakeReleaseUndo;
    return s;
}

PackedDib RunPolicy(bool display, bool undo, int failures) {
    ResetTestHost();
    gFake = FakeDocument{};
    gFake.display = display;
    gFake.undo = undo;
    gFake.failuresLeft = failures;
    return AllocWithShortagePolicy(64, FakeSteps());
}

} // namespace

TEST(ShortagePolicy, PlainSuccessGivesNothingUp) {
    PackedDib b = RunPolicy(true, true, 0);
    EXPECT_NE(b, nullptr);
    EXPECT_TRUE(gFake.display);
    EXPECT_TRUE(gFake.undo);
    EXPECT_TRUE(TestHost().messages.empty());
    BlockFree(b);
}

TEST(ShortagePolicy, DisplayImageGoesFirstAndSilently) {
    PackedDib b = RunPolicy(true, true, 1);
    EXPECT_NE(b, nullptr);
    EXPECT_EQ(gFake.events, (std::vector<std::string>{"alloc-fail", "display", "alloc"}));
    EXPECT_TRUE(gFake.undo);
    EXPECT_TRUE(TestHost().messages.empty());
    BlockFree(b);
}

TEST(ShortagePolicy, UndoCopyGoesAfterExactlyOneMessageAndTheAllocationSucceeds) {
    PackedDib b = RunPolicy(true, true, 2);
    EXPECT_NE(b, nullptr);
    EXPECT_EQ(gFake.events, (std::vector<std::string>{"alloc-fail", "display", "alloc-fail", "undo", "alloc"}));
    EXPECT_EQ(TestHost().messages, std::vector<std::string>{kUndoMessage});
    BlockFree(b);
}

TEST(ShortagePolicy, LastFailureIsReportedOnceAndGivesNull) {
    EXPECT_EQ(RunPolicy(true, true, 100), nullptr);
    EXPECT_EQ(gFake.attempts, 3);
    EXPECT_FALSE(gFake.display);
    EXPECT_FALSE(gFake.undo);
    EXPECT_EQ(TestHost().messages, (std::vector<std::string>{kUndoMessage, kNoMemoryMessage}));
}

TEST(ShortagePolicy, WithNothingToGiveUpOnlyTheFinalMessage) {
    EXPECT_EQ(RunPolicy(false, false, 100), nullptr);
    // No second try for a display image that was not there; the last try still happens.
    EXPECT_EQ(gFake.events, (std::vector<std::string>{"alloc-fail", "alloc-fail"}));
    EXPECT_EQ(TestHost().messages, std::vector<std::string>{kNoMemoryMessage});
}

TEST(ShortagePolicy, WithoutDisplayImageTheUndoCopyIsTheFirstSacrifice) {
    PackedDib b = RunPolicy(false, true, 1);
    EXPECT_NE(b, nullptr);
    EXPECT_EQ(gFake.events, (std::vector<std::string>{"alloc-fail", "undo", "alloc"}));
    EXPECT_EQ(TestHost().messages, std::vector<std::string>{kUndoMessage});
    BlockFree(b);
}

TEST(AllocFailPlan, ReadsBytesCountAndSkip) {
    AllocFailPlan p;
    ASSERT_TRUE(ParseAllocFailPlan("200000", &p));
    EXPECT_EQ(p.minBytes, 200000u);
    EXPECT_EQ(p.count, 1);
    EXPECT_EQ(p.skip, 0);
    ASSERT_TRUE(ParseAllocFailPlan("4096,3", &p));
    EXPECT_EQ(p.minBytes, 4096u);
    EXPECT_EQ(p.count, 3);
    ASSERT_TRUE(ParseAllocFailPlan("4096,2,5", &p));
    EXPECT_EQ(p.count, 2);
    EXPECT_EQ(p.skip, 5);
}

TEST(AllocFailPlan, MalformedTextsLeaveThePlanAlone) {
    AllocFailPlan p;
    p.minBytes = 7;
    p.count = 2;
    for (const char *bad : {"", "abc", "0", "100,", "100,0", "100,-1", "100x", "100,2,3,4", "100,2,-1", "-5", " 5"})
        EXPECT_FALSE(ParseAllocFailPlan(bad, &p)) << bad;
    EXPECT_FALSE(ParseAllocFailPlan(nullptr, &p));
    EXPECT_EQ(p.minBytes, 7u);
    EXPECT_EQ(p.count, 2);
}

TEST(AllocFailPlan, SkipsThenFailsOnlyLargeAttempts) {
    AllocFailPlan p;
    ASSERT_TRUE(ParseAllocFailPlan("1000,2,1", &p));
    std::vector<bool> failed;
    for (size_t bytes : {999u, 1000u, 5u, 1000u, 4000u, 1000u}) failed.push_back(ShouldFailAttempt(&p, bytes));
    EXPECT_EQ(failed, (std::vector<bool>{false, false, false, true, true, false}));
}

TEST(ShortagePolicy, CountsOnlyTheFinalReport) {
    const int before = ShortageReportCount();
    BlockFree(RunPolicy(true, true, 2));
    EXPECT_EQ(ShortageReportCount(), before);
    RunPolicy(true, true, 100);
    EXPECT_EQ(ShortageReportCount(), before + 1);
}
