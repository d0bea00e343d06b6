// orbentool: the command-line front end to the picture core.
#include <cstdio>
#include <cstring>

#include "cli/cli.h"
#include "platform/workers.h"

namespace {

struct Subcommand {
    const char *name;
    int (*run)(const CliArgs &);
    const char *options; // the option table: names, those taking a value ending in '='
    const char *summary;
};

const Subcommand kSubcommands[] = {
    {"info", RunInfo, "", "info FILE                      header as read and whether and how it opens"},
    {"convert", RunConvert, "", "convert IN OUT                 open IN, write it as a 24-bit BMP"},
    {"compress", RunCompress, "", "compress IN OUT                open IN, write it in the compressed form"},
    {"rotate", RunRotate, "--right --left --angle= --fast", "rotate IN OUT --right|--left|--angle DEG [--fast]"},
    {"resize", RunResize, "--threshold=", "resize IN OUT WIDTH HEIGHT [--threshold T]"},
    {"stipple", RunStipple, "--colors=", "stipple IN OUT --colors 16|256"},
    {"tone", RunTone, "--density= --contrast= --channels=", "tone IN OUT [--density R,G,B] [--contrast K] [--channels rgb]"},
    {"levels", RunLevels, "--highlight= --shadow= --channels= --auto", "levels IN OUT --highlight H --shadow S [--channels rgb] | --auto"},
    {"average", RunAverage, "", "average IN OUT"},
    {"noise", RunNoise, "--threshold= --jpeg --channels=", "noise IN OUT --threshold T [--jpeg] [--channels rgb]"},
    {"minvar", RunMinvar, "--channels=", "minvar IN OUT [--channels rgb]"},
    {"median", RunMedian, "", "median IN OUT"},
    {"saturation", RunSaturation, "--value=", "saturation IN OUT --value S"},
    {"edges", RunEdges, "", "edges IN OUT"},
    {"sharpen", RunSharpen, "--strong", "sharpen IN OUT [--strong]"},
};

void PrintUsage(FILE *out) {
    fprintf(out, "usage: orbentool [--threads N] SUBCOMMAND [-q] ARGS...\n\nsubcommands:\n");
    for (const Subcommand &s : kSubcommands) fprintf(out, "  %s\n", s.summary);
    fprintf(out, "\n--threads N (1..64, anywhere on the line) sets how many threads the filters use; the default is\n"
                 "ORBEN_THREADS from the environment, else one per core.\n");
    fprintf(out, "\nexit codes: 0 done, 1 usage error, 2 no picture could be read, 3 refused, 4 output not written\n"
                 "Each subcommand takes --help.\n");
}

// Takes --threads N or --threads=N out of the arguments and applies it; false (after a message) when its value
// is missing or not 1..64.
bool TakeThreadsOption(int *argc, char **argv) {
    int kept = 1;
    for (int i = 1; i < *argc; ++i) {
        const char *value = nullptr;
        if (!strcmp(argv[i], "--threads")) {
            if (i + 1 >= *argc) {
                CliError("--threads needs a count");
                return false;
            }
            value = argv[++i];
        } else if (!strncmp(argv[i], "--threads=", 10)) {
            value = argv[i] + 10;
        } else {
            argv[kept++] = argv[i];
            continue;
        }
        long n;
        if (!ParseInt(value, 1, 64, &n)) {
            CliError("--threads takes a count from 1 to 64, not '%s'", value);
            return false;
        }
        SetWorkerThreads((int)n);
    }
    *argc = kept;
    argv[kept] = nullptr;
    return true;
}

} // namespace

int main(int argc, char **argv) {
    if (!TakeThreadsOption(&argc, argv)) return kExitUsage;
    if (argc < 2) {
        PrintUsage(stderr);
        return kExitUsage;
    }
    if (!strcmp(argv[1], "--help") || !strcmp(argv[1], "-h") || !strcmp(argv[1], "help")) {
        PrintUsage(stdout);
        return kExitDone;
    }
    for (const Subcommand &s : kSubcommands) {
        if (strcmp(argv[1], s.name) != 0) continue;
        CliArgs args;
        if (!ParseCliArgs(argc - 2, argv + 2, s.name, s.options, &args)) return kExitUsage;
        if (args.help) {
            printf("usage: orbentool %s\n", s.summary);
            return kExitDone;
        }
        return s.run(args);
    }
    CliError("unknown subcommand '%s'", argv[1]);
    PrintUsage(stderr);
    return kExitUsage;
}
