// orbentool: the command-line front end to the picture core.
#include <cstdio>
#include <cstring>

#include "cli/cli.h"

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
    fprintf(out, "usage: orbentool SUBCOMMAND [-q] ARGS...\n\nsubcommands:\n");
    for (const Subcommand &s : kSubcommands) fprintf(out, "  %s\n", s.summary);
    fprintf(out, "\nexit codes: 0 done, 1 usage error, 2 no picture could be read, 3 refused, 4 output not written\n"
                 "Each subcommand takes --help.\n");
}

} // namespace

int main(int argc, char **argv) {
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
