// Shared pieces of orbentool: exit codes, option parsing helpers, and opening and writing pictures.
#pragma once
#include <string>
#include <vector>

#include "image/dib.h"

enum ExitCode {
    kExitDone = 0,
    kExitUsage = 1,
    kExitNoPicture = 2,
    kExitRefused = 3,
    kExitWriteFailed = 4,
};

// Set by -q: no progress bar and no status lines.
extern bool gCliQuiet;

// Arguments of one subcommand after its name, with -q and --help already taken out.
struct CliArgs {
    std::vector<std::string> positional;
    std::vector<std::string> options; // "--name" or "--name=value" or "--name" followed by its value in values
    bool help = false;

    // Finds --name VALUE or --name=VALUE; returns false when absent.
    bool Value(const char *name, std::string *out) const;
    bool Flag(const char *name) const;
    // Any option not in `known` (names like "--fast"; those taking a value end in '=': "--angle=").
    bool Unknown(const std::vector<std::string> &known, std::string *which) const;

    std::vector<std::string> raw;
};

CliArgs ParseCliArgs(int argc, char **argv);
bool ParseInt(const std::string &text, long min, long max, long *out);
bool ParseDouble(const std::string &text, double *out);

// Prints "orbentool: <text>" on stderr.
void CliError(const char *format, ...);

// Opens a picture through the program's open pipeline; on failure prints why and returns null.
PackedDib CliOpenInput(const char *path);
// Writes a picture with the program's BMP writer; kExitDone or kExitWriteFailed.
int CliWriteOutput(const char *path, PackedDib dib);

// Subcommands. Each returns an ExitCode.
int RunInfo(const CliArgs &args);
int RunConvert(const CliArgs &args);
int RunCompress(const CliArgs &args);
int RunRotate(const CliArgs &args);
int RunResize(const CliArgs &args);
int RunStipple(const CliArgs &args);
int RunTone(const CliArgs &args);
int RunLevels(const CliArgs &args);
int RunAverage(const CliArgs &args);
int RunNoise(const CliArgs &args);
int RunMinvar(const CliArgs &args);
int RunMedian(const CliArgs &args);
int RunSaturation(const CliArgs &args);
int RunEdges(const CliArgs &args);
int RunSharpen(const CliArgs &args);
