// orbentool info, convert and compress: the open pipeline, the BMP writer and the compressor from the shell.
#include <cstdio>

#include "cli/cli.h"
#include "formats/compressed_format.h"
#include "formats/open_picture.h"
#include "platform/block.h"

namespace {

const char *CompressionName(uint32_t c) {
    switch (c) {
    case 0: return "none";
    case 1: return "RLE8";
    case 2: return "RLE4";
    case 3: return "bit fields";
    case 4: return "JPEG";
    case 5: return "PNG";
    case 6: return "alpha bit fields";
    case kCompressedTag:
    case kCompressedTagAlt: return "nibble-delta";
    default: return "unknown";
    }
}

void PrintHeader(const char *path, const OpenReport &r) {
    const DibHeader &h = r.header;
    printf("%s\n", path);
    if (r.hasFileHeader) printf("  file header: bfSize %u, bfOffBits %u\n", r.bfSize, r.bfOffBits);
    else printf("  file header: none (headerless DIB)\n");
    printf("  info header: biSize %u\n", h.biSize);
    if (h.biSize != kDibHeaderSize) return;
    const uint32_t colours = h.biBitCount == 24 ? 0 : h.biClrUsed ? h.biClrUsed
                                                : h.biBitCount <= 8 ? 1u << h.biBitCount : 0;
    printf("  width %d, height %d%s, bits %u, compression %u (%s), colour count %u\n", h.biWidth, h.biHeight,
           h.biHeight < 0 ? " (top-down)" : "", h.biBitCount, h.biCompression, CompressionName(h.biCompression),
           colours);
    printf("  pixel bytes: biSizeImage %u; %lld wanted, %lld read from the file\n", h.biSizeImage,
           (long long)r.pixelBytesWanted, (long long)r.pixelBytesRead);
}

} // namespace

int RunInfo(const CliArgs &args) {
    if (args.positional.size() != 1) {
        CliError("usage: orbentool info FILE");
        return kExitUsage;
    }
    const char *path = args.positional[0].c_str();
    OpenReport report;
    PackedDib dib = OpenPictureFile(path, &report);
    if (report.isJpeg) printf("%s\n  JPEG (by its name)\n", path);
    else if (report.headerRead) PrintHeader(path, report);
    else printf("%s\n", path);
    if (!dib) {
        printf("  does not open: %s\n", report.reason.empty() ? "no picture could be read" : report.reason.c_str());
        return kExitNoPicture;
    }
    DibHeader h;
    DibInfo(dib, &h);
    printf("  opens as %dx%d", h.biWidth, h.biHeight);
    if (report.decompressed) printf(", decompressed");
    if (report.converted) printf(", converted from %d bits", report.fromBits);
    if (report.headerRead && report.header.biHeight < 0) printf(", turned upright");
    printf("\n");
    BlockFree(dib);
    return kExitDone;
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
    if (args.positional.size() != 2) {
        CliError("usage: orbentool compress IN OUT");
        return kExitUsage;
    }
    PackedDib dib = CliOpenInput(args.positional[0].c_str());
    if (!dib) return kExitNoPicture;
    CompressOutcome outcome;
    PackedDib packed = CompressPicture(dib, &outcome);
    BlockFree(dib);
    if (!packed) {
        // No gain: the compressor has shown its message and nothing is written.
        if (outcome == CompressOutcome::kNoGain) return kExitRefused;
        CliError("%s: not enough memory to compress", args.positional[0].c_str());
        return kExitWriteFailed;
    }
    int rc = CliWriteOutput(args.positional[1].c_str(), packed);
    BlockFree(packed);
    return rc;
}
