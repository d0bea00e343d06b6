// Scenarios of the resize dialog "拡大縮小" and the stipple dialog "点描表示", run by the end-to-end driver.
#pragma once

struct DialogsScenario {
    const char *name;
    void (*run)();
};
extern const DialogsScenario kDialogsScenarios[];
extern const int kDialogsScenarioCount;

// Writes the pictures these scenarios use into the data folder and works out the expected results (after gPaths
// is set).
void MakeDialogsPictures();
