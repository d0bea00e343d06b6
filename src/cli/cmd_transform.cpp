// orbentool rotate, resize and stipple.
#include "cli/cli.h"

int RunRotate(const CliArgs &) { CliError("rotate is not built yet"); return kExitUsage; }
int RunResize(const CliArgs &) { CliError("resize is not built yet"); return kExitUsage; }
int RunStipple(const CliArgs &) { CliError("stipple is not built yet"); return kExitUsage; }
