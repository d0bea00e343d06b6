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

// Arguments of one subcommand after its name, parsed by its option table: positionals hold no option values.
struct CliArgs {
    struct Option {
        std::string name;  // "--angle"
        std::string value; // "" for a flag
    };
    std::vector<std::string> positional;
    std::vector<Option> options;
    bool help = false;

    // The value of --name (given as "--name VALUE" or "--name=VALUE"); false when absent.
    bool Value(const char *name, std::string *out) const;
    bool Flag(const char *name) const;
};

// Parses a subcommand's arguments by its option table, a space-separated list of names where those taking a value
// end in '=' ("--right --left --angle= --fast"). -q/--quiet and -h/--help are everyone's. False, after saying why,
// for an unknown option, a value given to a flag or a missing value.
bool ParseCliArgs(int argc, char **argv, const char *subcommand, const char *table, CliArgs *out);
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
