// Scenarios of printing through the real dialogs onto the private CUPS PDF printer that tools/cups.sh runs.
#pragma once

struct PrintScenario {
    const char *name;
    void (*run)();
};
extern const PrintScenario kPrintScenarios[];
extern const int kPrintScenarioCount;
