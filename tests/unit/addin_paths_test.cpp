// Where add-in libraries are looked for: the program's folder before anything else, never a folder the name
// does not name, and INI keys in the DLL1, DLL2, ... sequence.
#include <gtest/gtest.h>

#include "addin/addin_paths.h"

using Paths = std::vector<std::string>;

TEST(AddinPaths, BareNameTriesProgramFolderFirst) {
    EXPECT_EQ(AddinLibraryCandidates("C:\\Program Files\\Orben\\ORBEN.EXE", "LETTRA.DLL"),
              (Paths{"C:\\Program Files\\Orben\\LETTRA.DLL", "LETTRA.DLL"}));
    // A folder inside the name stays below the program's folder.
    EXPECT_EQ(AddinLibraryCandidates("D:\\o\\ORBEN.EXE", "ext\\A.DLL"), (Paths{"D:\\o\\ext\\A.DLL", "ext\\A.DLL"}));
    // Forward slashes (Wine's Unix-side paths) are folders too.
    EXPECT_EQ(AddinLibraryCandidates("/opt/o/ORBEN.EXE", "A.DLL"), (Paths{"/opt/o/A.DLL", "A.DLL"}));
}

TEST(AddinPaths, RootedNamesAreUsedAsWritten) {
    for (const char *name : {"C:\\lib\\A.DLL", "c:A.DLL", "\\lib\\A.DLL", "\\\\srv\\share\\A.DLL", "/lib/A.DLL"}) {
        EXPECT_TRUE(IsRootedLibraryName(name)) << name;
        EXPECT_EQ(AddinLibraryCandidates("C:\\o\\ORBEN.EXE", name), (Paths{name})) << name;
    }
    for (const char *name : {"A.DLL", "ext\\A.DLL", "1:A.DLL", ""}) EXPECT_FALSE(IsRootedLibraryName(name)) << name;
}

TEST(AddinPaths, UnknownProgramFolderAndOverlongPaths) {
    // Without a folder in the program path only the name is tried.
    EXPECT_EQ(AddinLibraryCandidates("", "A.DLL"), (Paths{"A.DLL"}));
    EXPECT_EQ(AddinLibraryCandidates("ORBEN.EXE", "A.DLL"), (Paths{"A.DLL"}));
    EXPECT_TRUE(AddinLibraryCandidates("C:\\o\\ORBEN.EXE", "").empty());
    // A joined path the loader could not take is left out instead of being cut to a different file.
    std::string deep = "C:\\" + std::string(250, 'd') + "\\ORBEN.EXE";
    EXPECT_EQ(AddinLibraryCandidates(deep, "LETTRA.DLL"), (Paths{"LETTRA.DLL"}));
    EXPECT_EQ(AddinLibraryCandidates(deep, "LETTRA.DLL", 300).size(), 2u);
}

TEST(AddinPaths, KeysCountFromOne) {
    EXPECT_EQ(AddinKeyName(1), "DLL1");
    EXPECT_EQ(AddinKeyName(12), "DLL12");
}
