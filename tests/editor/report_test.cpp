#include "tests/support/crew_pack.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

using testsupport::runCommand;

TEST(Report, ListsEveryEntryWithItsStateAndTheStatusLineOrFails) {
    testsupport::TempDir dir;
    const std::string report = testsupport::binDir() + "/TnvCueLine --report ";
    std::string pack = dir.path() + "/Sound/Crewpack/Pack";
    testsupport::writeCrewPack(pack, "a.wav;Hello\r\ngone.wav;Bye \xE9\r\n", {"a.wav", "b.WAV"});
    std::string out;
    ASSERT_EQ(runCommand("LC_ALL=C.UTF-8 " + report + "'" + pack + "/CueLine.clt' 2>&1", &out), 0);
    EXPECT_EQ(out, "000\tok\ta.wav\tHello\n"
                   "001\tmissing\tgone.wav\tBye \xC3\xA9\n"
                   "002\tnotext\tb.WAV\t\n"
                   "Editing crew pack \"Pack\" - Sound with text: 2  Sound without text: 1  "
                   "Total: 3\n");
    ASSERT_EQ(runCommand(report + "'" + pack + "'", &out), 0);
    // A folder without a text file fails with the editor's message.
    EXPECT_EQ(runCommand(report + "'" + dir.path() + "' 2>" + dir.file("err"), &out), 1);
    EXPECT_EQ(out, "");
    EXPECT_EQ(testsupport::readFile(dir.file("err")),
              "CueLine: File not found\nTnvCueLine: " + dir.path() +
                  "/CueLine.clt: No such file or directory\n")
        << "the message names the file";
    testsupport::writeFile(dir.file("CueLine.clt"), "");
    ASSERT_EQ(runCommand(report + "'" + dir.path() + "'", &out), 0);
    EXPECT_EQ(out, "Ready - no Sound found\n");
}
