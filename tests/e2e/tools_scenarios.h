// Scenarios of the view's tools, the floating information, the clipboard and the level commands.
#pragma once
#include <string>
#include <vector>

struct ToolsScenario {
    const char *name;
    void (*run)();
};
extern const ToolsScenario kToolsScenarios[];
extern const int kToolsScenarioCount;

// Writes the pictures these scenarios use into the data folder (after gPaths is set).
void MakeToolsPictures();
// Timing lines ("timing: ...") these scenarios measured, for the driver's summary.
extern std::vector<std::string> gToolsTimings;
