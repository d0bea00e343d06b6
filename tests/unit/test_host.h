// The host used by unit tests: records every message, status text and progress call.
#pragma once
#include <string>
#include <vector>

struct TestHostRecord {
    std::vector<std::string> messages; // "caption|text" ("(default)" for a null caption)
    std::vector<std::string> statusTexts;
    std::vector<int> progress;         // every SetProgress value
    int progressBegun = 0, progressEnded = 0, titleRestored = 0;
    bool statusBarShown = true;
    int busyDepth = 0;
};

// Cleared by ResetTestHost(); tests that check host calls reset it first.
TestHostRecord &TestHost();
void ResetTestHost();
