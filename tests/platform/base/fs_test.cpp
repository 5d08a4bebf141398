#include "platform/base/fs.h"
#include "tests/support/test_support.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

using namespace tnv;

using testsupport::TempDir;

TEST(FileSystem, ListsByNameLetterCaseAsideThenBytes) {
    TempDir dir;
    for (const char* n : {"b.wav", "B.wav", "a.WAV", "_x.wav", "A.wav", "c.txt"})
        testsupport::writeFile(dir.file(n), "");
    dir.mkdir("Sub");
    std::vector<std::string> names;
    for (const auto& e : fsx::listFolder(dir.path()))
        names.push_back(e.name);
    // Upper-case folding puts '_' after the letters, as the Windows file system does.
    EXPECT_EQ(names, (std::vector<std::string>{"A.wav", "a.WAV", "B.wav", "b.wav", "c.txt", "Sub",
                                               "_x.wav"}));
    EXPECT_TRUE(fsx::hasExtension("a.WAV", ".wav"));
    EXPECT_FALSE(fsx::hasExtension("wav", ".wav"));
    EXPECT_TRUE(fsx::listFolder(dir.file("absent")).empty());
}

TEST(FileSystem, NamesConvertBetweenDiskAndCodePageCaseBlindLookupFindsThem) {
    TempDir dir;
    testsupport::writeFile(dir.file("caf\xC3\xA9.wav"), "");  // UTF-8 on disk
    testsupport::writeFile(dir.file("\xE6\x97\xA5.wav"), ""); // not in the code page
    auto entries = fsx::listFolder(dir.path());
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "caf\xE9.wav");
    EXPECT_EQ(entries[1].name, "\xE6\x97\xA5.wav"); // passed through unchanged
    for (const auto& e : entries)
        EXPECT_TRUE(fsx::isFile(fsx::joinPath(dir.path(), fsx::toDisk(e.name))));
    dir.mkdir("Sim/AIRCRAFT/c172");
    testsupport::writeFile(dir.file("Sim/AIRCRAFT/c172/Aircraft.CFG"), "x");
    testsupport::writeFile(dir.file("CUELINE.CLT"), "x");
    EXPECT_EQ(fsx::resolve(dir.path(), "CueLine.clt"), dir.file("CUELINE.CLT"));
    EXPECT_EQ(fsx::resolve(dir.path(), "absent.clt"), dir.file("absent.clt"));
    EXPECT_EQ(fsx::resolvePath(dir.path() + "/sim/Aircraft/C172/aircraft.cfg"),
              dir.file("Sim/AIRCRAFT/c172/Aircraft.CFG"));
}

// How a bare program name is found, for starting helpers and for a program's own path.
TEST(FileSystem, ProgramsAreFoundThroughPathAsAShellFindsThemPathsMadeAbsolute) {
    TempDir dir;
    std::string bin = dir.mkdir("bin"), plain = dir.mkdir("plain");
    dir.mkdir("plain/tool"); // a folder is no program
    testsupport::writeFile(plain + "/notes", "not executable");
    testsupport::writeFile(bin + "/tool", "#!/bin/sh\n");
    testsupport::writeFile(bin + "/notes", "#!/bin/sh\n");
    for (const char* name : {"/tool", "/notes"})
        ASSERT_EQ(chmod((bin + name).c_str(), 0755), 0);
    const char* saved = std::getenv("PATH");
    std::string old = saved ? saved : "";
    struct Case {
        const char* path; // nullptr: unset
        std::string name, found;
    } cases[] = {
        {"", "tool", "./tool"}, // so is an empty PATH
        {"PLAIN:BIN", "tool", bin + "/tool"},
        {"PLAIN:BIN", "notes", bin + "/notes"},
        {"PLAIN", "tool", ""},
        {"PLAIN::/nonexistent", "sh", ""},
        {"/nonexistent:", "tool", "./tool"}, // an empty entry is the current folder
        {nullptr, "sh", "/usr/bin/sh"},
        {"BIN", "./x/tool", "./x/tool"},
        {"BIN", "", ""},
    };
    std::string cwd = fsx::currentFolder();
    ASSERT_EQ(chdir(bin.c_str()), 0);
    for (const Case& c : cases) {
        std::string path = c.path ? c.path : "";
        for (auto [word, folder] : {std::pair{"PLAIN", plain}, std::pair{"BIN", bin}})
            for (auto at = path.find(word); at != std::string::npos; at = path.find(word))
                path.replace(at, std::string(word).size(), folder);
        if (c.path)
            setenv("PATH", path.c_str(), 1);
        else
            unsetenv("PATH");
        std::string found = fsx::findInPath(c.name);
        EXPECT_TRUE(found == c.found || (!c.path && found == "/bin/sh" && !c.found.empty()))
            << (c.path ? c.path : "(unset)") << " " << c.name << ": " << found;
    }
    setenv("PATH", bin.c_str(), 1);
    EXPECT_EQ(fsx::programPath("tool"), bin + "/tool");
    // A path is made absolute without resolving links.
    EXPECT_EQ(fsx::programPath("/opt/sim/Tarnavel/bin/../bin/FleetValuer"),
              "/opt/sim/Tarnavel/bin/FleetValuer");
    EXPECT_EQ(fsx::programPath("./x/TnvCueLine"), fsx::currentFolder() + "/x/TnvCueLine");
    setenv("PATH", old.c_str(), 1);
    ASSERT_EQ(chdir(cwd.c_str()), 0);
}

// Folders made for a file about to be written: the simulator's menu files, the set-up's links,
// the kept copy of a crew pack and the list of set-up simulators.
TEST(FileSystem, MakeFoldersMakesWhatIsMissingAndSaysWhatIsInTheWay) {
    TempDir dir;
    testsupport::writeFile(dir.file("file"), "x");
    struct Case {
        std::string path, errorNames; // errorNames: part of the error
        bool made;
    } cases[] = {
        {dir.file("a/b/c"), "", true},
        {dir.file("a/b"), "", true}, // already there
        {dir.file("a/b/c/"), "", true},
        {dir.file("file"), dir.file("file"), false},
        {dir.file("file/sub/deeper"), dir.file("file/sub"), false},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_EQ(fsx::makeFolders(c.path, 0755, &error), c.made) << c.path;
        EXPECT_EQ(fsx::isDirectory(c.path), c.made) << c.path;
        EXPECT_NE(error.find(c.errorNames), std::string::npos) << error;
        EXPECT_EQ(error.empty(), c.made) << error;
    }
    EXPECT_EQ(fsx::realPath(dir.file("a/b/../b/./c")), fsx::realPath(dir.path()) + "/a/b/c");
    EXPECT_EQ(fsx::realPath(dir.file("missing")), "");
}
