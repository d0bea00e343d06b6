// Where an add-in library named in the INI file is looked for: the program's own folder first, then the name as
// written. Platform-neutral so the rules can be tested natively.
#pragma once
#include <string>
#include <vector>

// The INI key of the n-th add-in: "DLL1", "DLL2", ...
std::string AddinKeyName(int n);

// True for "C:\x.dll", "C:x.dll", "\x.dll", "\\server\x.dll" and their forward-slash forms: names that already say
// where the library is, so the program's folder must not be put in front of them.
bool IsRootedLibraryName(const std::string &name);

// The paths to try, in order, for `name` with the program at `programPath` (a full path to the executable).
// A relative name gets the program's folder in front; the name as written comes last. Paths longer than
// `maxPath - 1` characters are left out, because the loader would refuse them anyway.
std::vector<std::string> AddinLibraryCandidates(const std::string &programPath, const std::string &name,
                                                size_t maxPath = 260);
