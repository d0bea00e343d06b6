// orbentool info, convert and compress.
#include <cstdio>

#include "cli/cli.h"
#include "platform/block.h"

int RunInfo(const CliArgs &args) {
    CliError("info is not built yet");
    return kExitUsage;
}

int RunConvert(const CliArgs &args) {
    if (args.positional.size() != 2) {
        CliError("usage: orbentool convert IN OUT");
        return kExitUsage;
    }
    PackedDib dib = CliOpenInput(args.positional[0].c_str());
    if (!dib) return kExitNoPicture;
    int rc = CliWriteOutput(args.positional[1].c_str(), dib);
    BlockFree(dib);
    return rc;
}

int RunCompress(const CliArgs &args) {
    CliError("compress is not built yet");
    return kExitUsage;
}
