// Argument parsing and the open/write steps every orbentool subcommand shares.
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "cli/cli.h"
#include "formats/bmp_write.h"
#include "formats/open_picture.h"

bool gCliQuiet = false;

CliArgs ParseCliArgs(int argc, char **argv) {
    CliArgs a;
    for (int i = 0; i < argc; ++i) {
        std::string s = argv[i];
        a.raw.push_back(s);
        if (s == "-q" || s == "--quiet") gCliQuiet = true;
        else if (s == "--help" || s == "-h") a.help = true;
        else if (s.size() > 2 && s[0] == '-' && s[1] == '-') a.options.push_back(s);
        else a.positional.push_back(s);
    }
    return a;
}

bool CliArgs::Flag(const char *name) const {
    for (const std::string &o : options)
        if (o == name) return true;
    return false;
}

bool CliArgs::Value(const char *name, std::string *out) const {
    const std::string n = name;
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == n && i + 1 < raw.size()) {
            *out = raw[i + 1];
            return true;
        }
        if (raw[i].compare(0, n.size() + 1, n + "=") == 0) {
            *out = raw[i].substr(n.size() + 1);
            return true;
        }
    }
    return false;
}

bool CliArgs::Unknown(const std::vector<std::string> &known, std::string *which) const {
    for (const std::string &o : options) {
        std::string name = o.substr(0, o.find('='));
        bool ok = false;
        for (const std::string &k : known)
            if (k == name || k == name + "=") ok = true;
        if (!ok) {
            *which = o;
            return true;
        }
    }
    return false;
}

bool ParseInt(const std::string &text, long min, long max, long *out) {
    if (text.empty()) return false;
    char *end = nullptr;
    errno = 0;
    long v = strtol(text.c_str(), &end, 10);
    if (errno || *end || v < min || v > max) return false;
    *out = v;
    return true;
}

bool ParseDouble(const std::string &text, double *out) {
    if (text.empty()) return false;
    char *end = nullptr;
    errno = 0;
    double v = strtod(text.c_str(), &end);
    if (errno || *end) return false;
    *out = v;
    return true;
}

void CliError(const char *format, ...) {
    va_list ap;
    va_start(ap, format);
    fputs("orbentool: ", stderr);
    vfprintf(stderr, format, ap);
    fputc('\n', stderr);
    va_end(ap);
}

PackedDib CliOpenInput(const char *path) {
    OpenReport report;
    PackedDib dib = OpenPictureFile(path, &report);
    if (!dib) CliError("%s: %s", path, report.reason.empty() ? "no picture could be read" : report.reason.c_str());
    return dib;
}

int CliWriteOutput(const char *path, PackedDib dib) {
    if (!WriteBmpFile(path, dib)) {
        CliError("%s: the output could not be written", path);
        return kExitWriteFailed;
    }
    return kExitDone;
}
