// Scenarios of saving, undo and erase, dropped files and memory shortage, run by the end-to-end driver.
#pragma once

struct SafetyScenario {
    const char *name;
    void (*run)();
};
extern const SafetyScenario kSafetyScenarios[];
extern const int kSafetyScenarioCount;

// Writes the pictures these scenarios use into the data folder (after gPaths is set).
void MakeSafetyPictures();
