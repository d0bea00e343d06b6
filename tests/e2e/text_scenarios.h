// Scenarios of the text add-in LETTRA.DLL, run by the end-to-end driver: its menu, the font dialog, the text
// dialog, the stamped pixels and the refusals.
#pragma once

struct TextScenario {
    const char *name;
    void (*run)();
};
extern const TextScenario kTextScenarios[];
extern const int kTextScenarioCount;

// Writes the pictures these scenarios use into the data folder (after gPaths is set).
void MakeTextPictures();
