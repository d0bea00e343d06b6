// Scenarios of the adjustment sheet "画像": previews, Apply, UnDo, OK and Cancel, the level popup, zoom, drags,
// fingertip strokes and a random-clicks loop, run by the end-to-end driver.
#pragma once

struct SheetScenario {
    const char *name;
    void (*run)();
};
extern const SheetScenario kSheetScenarios[];
extern const int kSheetScenarioCount;

// Writes the pictures these scenarios use into the data folder (after gPaths is set).
void MakeSheetPictures();
