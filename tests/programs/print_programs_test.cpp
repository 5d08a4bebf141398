// Both programs' --print-pdf, run as processes.
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string program(const std::string& name) {
    return testsupport::binDir() + "/" + name;
}

int run(const std::string& command) {
    return testsupport::runCommand(command + " >/dev/null 2>&1");
}

// A crew pack of `count` lines, with no WAV files.
std::string makePack(const testsupport::TempDir& dir, int count) {
    std::string folder = dir.mkdir("Crew Pack"), text;
    for (int i = 1; i <= count; ++i)
        text += "cue" + std::to_string(i) + ".wav;Line " + std::to_string(i) + " of the crew\r\n";
    testsupport::writeFile(folder + "/CueLine.clt", text);
    return folder + "/CueLine.clt";
}

} // namespace

TEST(PrintPrograms, EditorPrintsItsPackToPdfAndReportsFailures) {
    if (!testsupport::exists(program("TnvCueLine")))
        GTEST_SKIP() << "TnvCueLine is not built";
    testsupport::TempDir dir;
    const std::string clt = makePack(dir, 150), pdf = dir.file("pack.pdf");
    const std::string tnv = "'" + program("TnvCueLine") + "' --print-pdf ";
    ASSERT_EQ(run(tnv + "'" + pdf + "' '" + clt + "'"), 0);
    const int pages = testsupport::pdfPages(pdf);
    EXPECT_GE(pages, 2);
    const std::string text = testsupport::pdfText(pdf);
    EXPECT_NE(text.find("CueLine"), std::string::npos);
    EXPECT_NE(text.find("Editing "), std::string::npos);
    EXPECT_NE(text.find("/Crew Pack/CueLine.clt"), std::string::npos) << text;
    EXPECT_NE(text.find("Page 1 of " + std::to_string(pages)), std::string::npos) << text;
    EXPECT_NE(text.find("Line 1 of the crew"), std::string::npos);
    EXPECT_NE(text.find("Line 150 of the crew"), std::string::npos);
    EXPECT_NE(text.find("cue150.wav"), std::string::npos);

    // The table fills the paper's width, so landscape paper takes more pages.
    const std::string wide = dir.file("wide.pdf");
    ASSERT_EQ(run(tnv + "'" + wide + "' --page-size letter --landscape '" + clt + "'"), 0);
    EXPECT_GT(testsupport::pdfPages(wide), pages);
    std::string info;
    testsupport::runCommand("pdfinfo '" + wide + "'", &info);
    EXPECT_NE(info.find("792 x 612"), std::string::npos) << info;

    // Failures exit with 1, on a short pack of its own.
    testsupport::TempDir other;
    const std::string three = makePack(other, 3);
    EXPECT_EQ(run(tnv + "'" + dir.file("a.pdf") + "' '" + dir.file("nowhere/CueLine.clt") + "'"),
              1);
    EXPECT_FALSE(testsupport::exists(dir.file("a.pdf")));
    EXPECT_EQ(run(tnv + "'" + dir.file("no/such/folder/b.pdf") + "' '" + three + "'"), 1);
    EXPECT_NE(run(tnv + "'" + dir.file("c.pdf") + "' --page-size Napkin '" + three + "'"), 0);
    EXPECT_NE(run(tnv + "'" + dir.file("d.pdf") + "'"), 0); // no pack named
}

TEST(PrintPrograms, BrowserPrintsToPdfAndReportsFailures) {
    if (!testsupport::exists(program("FleetValuer")))
        GTEST_SKIP() << "FleetValuer is not built";
    testsupport::TempDir dir;
    const std::string base = dir.mkdir("Sim/Tarnavel");
    dir.mkdir("Sim/Aircraft"); // a simulator without aircraft: the empty table prints
    const std::string fv = "'" + program("FleetValuer") + "' --base '" + base + "' --print-pdf ";
    EXPECT_EQ(run(fv + "'" + dir.file("f.pdf") + "'"), 0);
    EXPECT_EQ(testsupport::pdfPages(dir.file("f.pdf")), 1);
    EXPECT_EQ(run(fv + "'" + dir.file("no/such/folder/f.pdf") + "'"), 1);
    EXPECT_NE(run(fv + "'" + dir.file("g.pdf") + "' --page-size Napkin"), 0);
    EXPECT_NE(run(fv + "'" + dir.file("h.pdf") + "' --export -"), 0);
}
