// orbentool rotate, resize and stipple.
#include <cmath>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "image/range_palette.h"
#include "platform/block.h"
#include "transform/resize.h"
#include "transform/rotate.h"
#include "view/stipple.h"

namespace {

// Opens IN, runs the job, writes OUT; a job that gives no picture is refused.
template <class Job>
int RunJob(const std::string &in, const std::string &out, const char *what, Job job) {
    PackedDib source = CliOpenInput(in.c_str());
    if (!source) return kExitNoPicture;
    PackedDib result = job(source);
    BlockFree(source);
    if (!result) {
        CliError("%s: %s was refused (the result would be too large, or memory ran out)", in.c_str(), what);
        return kExitRefused;
    }
    const int rc = CliWriteOutput(out.c_str(), result);
    BlockFree(result);
    return rc;
}

} // namespace

int RunRotate(const CliArgs &args) {
    const char *usage = "rotate IN OUT --right|--left|--angle DEG [--fast]";
    const std::vector<std::string> &files = args.positional;
    const bool right = args.Flag("--right"), left = args.Flag("--left");
    std::string angleText;
    const bool byAngle = args.Value("--angle", &angleText);
    if (files.size() != 2 || (int)right + (int)left + (int)byAngle != 1 || (args.Flag("--fast") && !byAngle)) {
        CliError("usage: orbentool %s", usage);
        return kExitUsage;
    }
    if (!byAngle)
        return RunJob(files[0], files[1], "the quarter turn",
                      [&](PackedDib src) { return RotateQuarterTurn(src, right ? kTurnRight : kTurnLeft); });
    double degrees;
    // Beyond a few thousand turns an angle means nothing and would only lose precision.
    if (!ParseDouble(angleText, &degrees) || !std::isfinite(degrees) || std::fabs(degrees) > 1.0e7) {
        CliError("--angle takes a number of degrees, not '%s'", angleText.c_str());
        return kExitUsage;
    }
    const double theta = degrees * 3.14159265358979323846 / 180;
    const bool fast = args.Flag("--fast");
    return RunJob(files[0], files[1], "the rotation",
                  [&](PackedDib src) { return RotateByAngle(src, theta, fast); });
}

int RunResize(const CliArgs &args) {
    const char *usage = "resize IN OUT WIDTH HEIGHT [--threshold T]";
    const std::vector<std::string> &pos = args.positional;
    long width, height, threshold = kDefaultEdgeThreshold;
    std::string text;
    if (pos.size() != 4 || !ParseInt(pos[2], 1, 0x7FFFFFFF, &width) || !ParseInt(pos[3], 1, 0x7FFFFFFF, &height) ||
        (args.Value("--threshold", &text) && !ParseInt(text, 0, 255, &threshold))) {
        CliError("usage: orbentool %s (sizes from 1, T from 0 to 255)", usage);
        return kExitUsage;
    }
    return RunJob(pos[0], pos[1], "the resize",
                  [&](PackedDib src) { return ResizePicture(src, (int)width, (int)height, (int)threshold); });
}

int RunStipple(const CliArgs &args) {
    const char *usage = "stipple IN OUT --colors 16|256";
    const std::vector<std::string> &files = args.positional;
    std::string text;
    if (files.size() != 2 || !args.Value("--colors", &text) || (text != "16" && text != "256")) {
        CliError("usage: orbentool %s", usage);
        return kExitUsage;
    }
    // The 256 colours are those of the display palette on a true-colour screen.
    StipplePalette palette;
    if (text == "16") {
        palette = MakeStipplePalette16();
    } else {
        PaletteEntryRgb entries[256];
        MakeRangePaletteEntries(255, 255, 255, 0, 0, 0, entries);
        palette = MakeStipplePalette256(entries);
    }
    return RunJob(files[0], files[1], "the stipple", [&](PackedDib src) { return StipplePicture(src, palette); });
}
