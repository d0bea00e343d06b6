// Argument parsing and the open/write steps every orbentool subcommand shares.
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "cli/cli.h"
#include "formats/bmp_write.h"
#include "formats/open_picture.h"

bool gCliQuiet = false;

namespace {

// Whether `name` is in the table, and whether it takes a value there.
bool LookUpOption(const char *table, const std::string &name, bool *takesValue) {
    const char *p = table ? table : "";
    while (*p) {
        while (*p == ' ') ++p;
        const char *start = p;
        while (*p && *p != ' ') ++p;
        std::string entry(start, (size_t)(p - start));
        if (entry.empty()) continue;
        const bool valued = entry.back() == '=';
        if (valued) entry.pop_back();
        if (entry == name) {
            *takesValue = valued;
            return true;
        }
    }
    return false;
}

} // namespace

bool ParseCliArgs(int argc, char **argv, const char *subcommand, const char *table, CliArgs *out) {
    CliArgs a;
    for (int i = 0; i < argc; ++i) {
        const std::string s = argv[i];
        if (s == "-q" || s == "--quiet") {
            gCliQuiet = true;
            continue;
        }
        if (s == "--help" || s == "-h") {
            a.help = true;
            continue;
        }
        if (s.size() <= 2 || s[0] != '-' || s[1] != '-') {
            a.positional.push_back(s);
            continue;
        }
        const size_t eq = s.find('=');
        CliArgs::Option o{s.substr(0, eq), eq == std::string::npos ? "" : s.substr(eq + 1)};
        bool valued = false;
        if (!LookUpOption(table, o.name, &valued)) {
            CliError("%s: unknown option '%s'", subcommand, s.c_str());
            return false;
        }
        if (!valued && eq != std::string::npos) {
            CliError("%s: %s takes no value", subcommand, o.name.c_str());
            return false;
        }
        if (valued && eq == std::string::npos) {
            // "--angle -30": the next argument is the value, whatever it looks like.
            if (i + 1 >= argc) {
                CliError("%s: %s needs a value", subcommand, o.name.c_str());
                return false;
            }
            o.value = argv[++i];
        }
        a.options.push_back(o);
    }
    *out = a;
    return true;
}

bool CliArgs::Flag(const char *name) const {
    for (const Option &o : options)
        if (o.name == name) return true;
    return false;
}

bool CliArgs::Value(const char *name, std::string *out) const {
    for (const Option &o : options) {
        if (o.name != name) continue;
        *out = o.value;
        return true;
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
