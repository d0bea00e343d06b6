// orbentool adjustment filters: each opens IN through the open pipeline, runs one core filter and writes OUT.
#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "adjust/edges.h"
#include "adjust/histogram_average.h"
#include "adjust/levels.h"
#include "adjust/noise_run.h"
#include "adjust/saturation.h"
#include "adjust/sharpen.h"
#include "adjust/tone.h"
#include "cli/cli.h"
#include "image/colour_stats.h"

namespace {

// IN and OUT are the only positionals; prints why otherwise.
bool CheckArgs(const CliArgs &args, const char *name) {
    if (args.positional.size() == 2) return true;
    CliError("%s: expected IN OUT (see orbentool %s --help)", name, name);
    return false;
}

// "--channels rgb": the letters of the switches that are on; absent means all on.
bool ParseChannels(const CliArgs &args, ChannelSwitches *sw) {
    std::string text;
    if (!args.Value("--channels", &text)) return true;
    ChannelSwitches none;
    none.red = none.green = none.blue = false;
    for (char c : text) {
        bool *flag = nullptr;
        switch (tolower((unsigned char)c)) {
        case 'r': flag = &none.red; break;
        case 'g': flag = &none.green; break;
        case 'b': flag = &none.blue; break;
        default: break;
        }
        if (!flag || *flag) {
            CliError("--channels takes the letters r, g and b, each at most once (got '%s')", text.c_str());
            return false;
        }
        *flag = true;
    }
    *sw = none;
    return true;
}

bool ParseIntOption(const CliArgs &args, const char *name, long min, long max, long *out, bool *present) {
    std::string text;
    *present = args.Value(name, &text);
    if (!*present) return true;
    if (!ParseInt(text, min, max, out)) {
        CliError("%s takes a whole number in %ld...%ld (got '%s')", name, min, max, text.c_str());
        return false;
    }
    return true;
}

// Opens IN, runs `filter` (which returns the picture to write, or null when refused), writes OUT.
template <class Filter>
int RunFilter(const CliArgs &args, Filter filter) {
    const std::string &in = args.positional[0], &out = args.positional[1];
    PackedDib dib = CliOpenInput(in.c_str());
    if (!dib) return kExitNoPicture;
    PackedDib result = filter(dib);
    if (!result) {
        BlockFree(dib);
        CliError("%s: the filter needs a 24-bit picture and the memory for its result", in.c_str());
        return kExitRefused;
    }
    const int rc = CliWriteOutput(out.c_str(), result);
    if (result != dib) BlockFree(result);
    BlockFree(dib);
    return rc;
}

// For filters that return a new picture: the old one is freed by RunFilter, the new one returned.
template <class Make>
auto Replacing(Make make) {
    return [make](PackedDib dib) -> PackedDib { return make(dib); };
}

// For filters that change the picture in place and answer 1 or 0.
template <class Change>
auto InPlace(Change change) {
    return [change](PackedDib dib) -> PackedDib { return change(dib) ? dib : nullptr; };
}

} // namespace

int RunTone(const CliArgs &args) {
    if (!CheckArgs(args, "tone")) return kExitUsage;
    ToneSettings s;
    std::string text;
    if (args.Value("--density", &text)) {
        long v[3];
        size_t start = 0;
        for (int i = 0; i < 3; ++i) {
            size_t comma = text.find(',', start);
            if ((i < 2) != (comma != std::string::npos) || !ParseInt(text.substr(start, comma - start), -65, 65, &v[i])) {
                CliError("範囲エラー: --density takes R,G,B, each in -65...65 (got '%s')", text.c_str());
                return kExitUsage;
            }
            start = comma + 1;
        }
        s.densityRed = (int)v[0];
        s.densityGreen = (int)v[1];
        s.densityBlue = (int)v[2];
    }
    long k = 0;
    if (args.Value("--contrast", &text) && !ParseInt(text, -65, 65, &k)) {
        CliError("範囲エラー: --contrast takes a value in -65...65 (got '%s')", text.c_str());
        return kExitUsage;
    }
    s.contrast = (int)k;
    if (!ParseChannels(args, &s.channels)) return kExitUsage;
    return RunFilter(args, InPlace([&](PackedDib d) { return ToneRun(d, s); }));
}

int RunLevels(const CliArgs &args) {
    if (!CheckArgs(args, "levels")) return kExitUsage;
    long h = 255, sh = 0;
    bool hasH = false, hasS = false;
    if (!ParseIntOption(args, "--highlight", 0, 255, &h, &hasH)) return kExitUsage;
    if (!ParseIntOption(args, "--shadow", 0, 255, &sh, &hasS)) return kExitUsage;
    std::string text;
    const bool hasChannels = args.Value("--channels", &text);
    if (args.Flag("--auto")) {
        if (hasH || hasS || hasChannels) {
            CliError("levels: --auto takes the levels from the picture; give it alone");
            return kExitUsage;
        }
        // The automatic highlight, then the automatic shadow from the stretched picture's own extremes.
        return RunFilter(args, InPlace([](PackedDib d) { return AutoHighlight(d) && AutoShadow(d); }));
    }
    if (!hasH && !hasS) {
        CliError("levels: give --highlight and/or --shadow, or --auto");
        return kExitUsage;
    }
    ChannelSwitches sw;
    if (!ParseChannels(args, &sw)) return kExitUsage;
    const int H = (int)h, S = (int)sh;
    return RunFilter(args, InPlace([&](PackedDib d) {
        return LevelStretch(d, LevelTriple{H, H, H}, LevelTriple{S, S, S}, kLevelPopup, sw);
    }));
}

int RunAverage(const CliArgs &args) {
    if (!CheckArgs(args, "average")) return kExitUsage;
    return RunFilter(args, Replacing([](PackedDib d) -> PackedDib {
        static ColourStats stats;
        {
            BlockLockGuard lock(d);
            if (!lock) return nullptr;
            CollectColourStats(lock.get(), kHistSetInternal, &stats);
        }
        return HistogramAverage(d, stats.raw[kHistSetInternal]);
    }));
}

int RunNoise(const CliArgs &args) {
    if (!CheckArgs(args, "noise")) return kExitUsage;
    std::string text;
    long t = 0;
    // Like the page, any whole number is taken and clamped to 0...255.
    if (!args.Value("--threshold", &text) || !ParseInt(text, -2147483647L, 2147483647L, &t)) {
        CliError("noise: --threshold T (0...255) is required");
        return kExitUsage;
    }
    NoiseRunSettings s;
    s.kind = kNoiseSmoothing;
    s.smoothing.threshold = t < 0 ? 0 : t > 255 ? 255 : (int)t;
    s.smoothing.jpeg = args.Flag("--jpeg");
    if (!ParseChannels(args, &s.smoothing.channels)) return kExitUsage;
    return RunFilter(args, InPlace([&](PackedDib d) { return NoiseRun(d, s, true); }));
}

int RunMinvar(const CliArgs &args) {
    if (!CheckArgs(args, "minvar")) return kExitUsage;
    NoiseRunSettings s;
    s.kind = kNoiseMinVariance;
    if (!ParseChannels(args, &s.smoothing.channels)) return kExitUsage;
    return RunFilter(args, InPlace([&](PackedDib d) { return NoiseRun(d, s, true); }));
}

int RunMedian(const CliArgs &args) {
    if (!CheckArgs(args, "median")) return kExitUsage;
    NoiseRunSettings s;
    s.kind = kNoiseMedian;
    return RunFilter(args, InPlace([&](PackedDib d) { return NoiseRun(d, s, true); }));
}

int RunSaturation(const CliArgs &args) {
    if (!CheckArgs(args, "saturation")) return kExitUsage;
    std::string text;
    long v = 0;
    if (!args.Value("--value", &text) || !ParseInt(text, -2147483647L, 2147483647L, &v)) {
        CliError("saturation: --value S (-64...64) is required");
        return kExitUsage;
    }
    const int s = v < -64 ? -64 : v > 64 ? 64 : (int)v;
    return RunFilter(args, InPlace([s](PackedDib d) { return SaturationRun(d, s, true); }));
}

int RunEdges(const CliArgs &args) {
    if (!CheckArgs(args, "edges")) return kExitUsage;
    return RunFilter(args, Replacing([](PackedDib d) { return EdgeMap(d, true); }));
}

int RunSharpen(const CliArgs &args) {
    if (!CheckArgs(args, "sharpen")) return kExitUsage;
    const bool strong = args.Flag("--strong");
    return RunFilter(args, Replacing([strong](PackedDib d) { return Sharpen(d, strong, true); }));
}
