// orbentool adjustment filters.
#include "cli/cli.h"

int RunTone(const CliArgs &) { CliError("tone is not built yet"); return kExitUsage; }
int RunLevels(const CliArgs &) { CliError("levels is not built yet"); return kExitUsage; }
int RunAverage(const CliArgs &) { CliError("average is not built yet"); return kExitUsage; }
int RunNoise(const CliArgs &) { CliError("noise is not built yet"); return kExitUsage; }
int RunMinvar(const CliArgs &) { CliError("minvar is not built yet"); return kExitUsage; }
int RunMedian(const CliArgs &) { CliError("median is not built yet"); return kExitUsage; }
int RunSaturation(const CliArgs &) { CliError("saturation is not built yet"); return kExitUsage; }
int RunEdges(const CliArgs &) { CliError("edges is not built yet"); return kExitUsage; }
int RunSharpen(const CliArgs &) { CliError("sharpen is not built yet"); return kExitUsage; }
