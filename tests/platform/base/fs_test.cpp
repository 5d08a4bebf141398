#include "platform/base/fs.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

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

TEST(FileSystem, NamesConvertBetweenDiskAndCodePage) {
    TempDir dir;
    testsupport::writeFile(dir.file("caf\xC3\xA9.wav"), "");  // UTF-8 on disk
    testsupport::writeFile(dir.file("\xE6\x97\xA5.wav"), ""); // not in the code page
    auto entries = fsx::listFolder(dir.path());
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "caf\xE9.wav");
    EXPECT_EQ(entries[1].name, "\xE6\x97\xA5.wav"); // passed through unchanged
    for (const auto& e : entries)
        EXPECT_TRUE(fsx::isFile(fsx::joinPath(dir.path(), fsx::toDisk(e.name))));
}

TEST(FileSystem, CaseBlindLookupFindsTheNameOnDisk) {
    TempDir dir;
    dir.mkdir("Sim/AIRCRAFT/c172");
    testsupport::writeFile(dir.file("Sim/AIRCRAFT/c172/Aircraft.CFG"), "x");
    testsupport::writeFile(dir.file("CUELINE.CLT"), "x");
    EXPECT_EQ(fsx::resolve(dir.path(), "CueLine.clt"), dir.file("CUELINE.CLT"));
    EXPECT_EQ(fsx::resolve(dir.path(), "absent.clt"), dir.file("absent.clt"));
    EXPECT_EQ(fsx::resolvePath(dir.path() + "/sim/Aircraft/C172/aircraft.cfg"),
              dir.file("Sim/AIRCRAFT/c172/Aircraft.CFG"));
}

TEST(FileSystem, AtomicWriteReplacesOrLeavesTheOldFile) {
    TempDir dir;
    std::string target = dir.file("CueLine.clt");
    testsupport::writeFile(target, "old");
    std::string error;
    ASSERT_EQ(fsx::writeFileAtomic(target, "new\r\n", &error), fsx::WriteStatus::Written) << error;
    EXPECT_EQ(testsupport::readFile(target), "new\r\n");
    if (geteuid() != 0) { // root writes anywhere
        // A folder that takes no new file: the file is rewritten in place, nothing new is made.
        chmod(dir.path().c_str(), 0555);
        EXPECT_EQ(fsx::writeFileAtomic(target, "in place", &error), fsx::WriteStatus::Written)
            << error;
        EXPECT_EQ(fsx::writeFileAtomic(dir.file("new.clt"), "lost", &error),
                  fsx::WriteStatus::CannotCreate);
        EXPECT_FALSE(error.empty());
        chmod(dir.path().c_str(), 0755);
        EXPECT_EQ(testsupport::readFile(target), "in place");
    }
    EXPECT_EQ(fsx::listFolder(dir.path()).size(), 1u); // no temporary file left behind
}

TEST(FileSystem, ProgramPathIsAbsoluteWithoutResolvingLinks) {
    EXPECT_EQ(fsx::programPath("/opt/sim/Tarnavel/bin/../bin/FleetValuer"),
              "/opt/sim/Tarnavel/bin/FleetValuer");
    std::string rel = fsx::programPath("./x/TnvCueLine");
    EXPECT_EQ(rel, fsx::currentFolder() + "/x/TnvCueLine");
}
