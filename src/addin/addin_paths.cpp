// Library search order for add-ins; see addin_paths.h.
#include "addin/addin_paths.h"

#include <cstdio>

std::string AddinKeyName(int n) {
    char key[16];
    std::snprintf(key, sizeof key, "DLL%d", n);
    return key;
}

static bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsRootedLibraryName(const std::string &name) {
    if (name.empty()) return false;
    if (IsSeparator(name[0])) return true;
    // A drive letter, with or without a separator after the colon: either way the current folder of that drive
    // is what the loader would use, never the program's folder.
    return name.size() >= 2 && name[1] == ':' &&
           ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z'));
}

std::vector<std::string> AddinLibraryCandidates(const std::string &programPath, const std::string &name,
                                                size_t maxPath) {
    std::vector<std::string> out;
    if (name.empty()) return out;
    if (!IsRootedLibraryName(name)) {
        size_t cut = programPath.find_last_of("\\/");
        if (cut != std::string::npos) {
            std::string inFolder = programPath.substr(0, cut + 1) + name;
            if (inFolder.size() < maxPath) out.push_back(inFolder);
        }
    }
    if (name.size() < maxPath) out.push_back(name);
    return out;
}
