#include "browser/fleet_export.h"
#include "browser/fleet_options.h"
#include "platform/base/fs_write.h"
#include "tests/browser/fleet_fixture.h"

#include <cerrno>
#include <gtest/gtest.h>

using testsupport::readFile;
using testsupport::runCommand;

TEST(FleetOptions, CommandLine) {
    std::string error;
    auto o = ParseFleetOptions(
        {"--base", "/x", "--sort", "weight", "--all-variations", "--export", "-"}, &error);
    ASSERT_TRUE(o) << error;
    EXPECT_EQ(o->base, "/x");
    EXPECT_EQ(o->sort, SortByWeight);
    EXPECT_TRUE(o->allVariations);
    EXPECT_TRUE(o->doExport);
    EXPECT_EQ(o->exportPath, "-");
    auto explain = ParseFleetOptions({"--explain", "--all-variations"}, &error);
    ASSERT_TRUE(explain) << error;
    EXPECT_TRUE(explain->explain);
    auto shot = ParseFleetOptions({"--screenshot", "a.png", "--size", "800x600"}, &error);
    ASSERT_TRUE(shot) << error;
    EXPECT_EQ(std::pair(shot->width, shot->height), std::pair(800, 600));
    auto pdf = ParseFleetOptions({"--print-pdf", "out.pdf", "--page-size", ""}, &error);
    ASSERT_TRUE(pdf) << error << ": the paper's name may be empty";
    EXPECT_EQ(pdf->printPdf, "out.pdf");
}

// Refused, with what a missing or empty value needs where it says ("": any reason).
TEST(FleetOptions, RefusedWithAReason) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--base", ""}, "--base needs a folder"},
        {{"--export", ""}, "--export needs a file name or -"},
        {{"--screenshot", ""}, "--screenshot needs a file name"},
        {{"--print-pdf", ""}, "--print-pdf needs a file name"},
        {{"--page-size"}, "--page-size needs a value"},
        {{"--base"}, "--base needs a value"},
        {{"--sort", "colour"}, ""},
        {{"--sort"}, ""},
        {{"--export"}, ""},
        {{"--size", "800"}, ""},
        {{"--size", "5x5"}, ""},
        {{"--size", "800x600x"}, ""},
        {{"--export", "-", "--screenshot", "a.png"}, ""},
        {{"--explain", "--export", "-"}, ""},
        {{"--print-pdf", "a.pdf", "--explain"}, ""},
        {{"stray"}, ""}};
    for (const auto& [args, message] : cases) {
        std::string error;
        EXPECT_FALSE(ParseFleetOptions(args, &error)) << args[0];
        EXPECT_FALSE(error.empty()) << args[0];
        EXPECT_TRUE(message.empty() || error == message) << error;
    }
}

namespace {

// The mixed fleet, exported by the program's function or by the program itself.
struct Exported : FleetSim {
    FleetState state;
    Exported() {
        addMixedFleet(*this);
        state.baseOverride = base;
    }
    // The program run with `args` after its --base and `env` before it; its output in `out`.
    int run(const std::string& args, std::string* out = nullptr, std::string env = "") const {
        return runCommand(env + "'" + fleetValuer() + "' --base '" + base + "' " + args, out);
    }
};

} // namespace

// The table as displayed; a failed write leaves the old file and says so; a link is written
// through.
TEST(FleetExport, WritesTheTableWholeOrLeavesTheOldFile) {
    Exported e;
    std::string out = e.dir.file("fleet.csv");
    testsupport::writeFile(out, "previous export");
    fsx::injectWriteFailure(fsx::WriteStatus::CannotWrite, ENOSPC);
    EXPECT_EQ(ExportFleet(e.state, out), 1);
    fsx::injectWriteFailure(fsx::WriteStatus::Written, 0);
    EXPECT_EQ(readFile(out), "previous export");
    std::string error;
    EXPECT_FALSE(WriteExport(e.dir.file("no/such/folder.csv"), "x", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(WriteExport("/dev/null", "x", &error)); // a device is written, never replaced

    std::string real = e.dir.mkdir("exports") + "/fleet.csv";
    testsupport::writeFile(real, "previous export");
    std::string link = e.dir.file("link.csv");
    ASSERT_EQ(symlink("exports/fleet.csv", link.c_str()), 0);
    ASSERT_EQ(ExportFleet(e.state, link), 0);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(readFile(real).rfind(kCsvHeader, 0), 0u);

    e.state.sort = SortByPrice;
    std::string sorted = e.dir.file("sorted.csv");
    ASSERT_EQ(ExportFleet(e.state, sorted), 0);
    std::string csv = readFile(sorted);
    EXPECT_EQ(csv.rfind(kCsvHeader, 0), 0u);
    EXPECT_NE(csv.find("\n C6 ,Single jet,SEJ,11 lbs,\"$6,274\",g_single_jet\n"),
              std::string::npos);
    EXPECT_TRUE(csv.ends_with(",f_jumbo\n")); // the dearest comes last
}

// The export, silent unless FLEETVALUER_TRACE=1 asks where it looked and what it counted, and a
// screenshot.
TEST(FleetProgram, ExportTraceAndScreenshot) {
    Exported e;
    std::string out;
    ASSERT_EQ(e.run("--export -", &out), 0);
    EXPECT_EQ(out.rfind(kCsvHeader, 0), 0u);
    EXPECT_NE(out.find("\n C0 ,Cub,SEP,820 lbs,\"$120,882\",a_cub\n"), std::string::npos);
    ASSERT_EQ(e.run("--export /dev/null 2>&1", &out), 0);
    EXPECT_EQ(out, "");
    ASSERT_EQ(e.run("--export /dev/null 2>&1", &out, "FLEETVALUER_TRACE=1 "), 0);
    EXPECT_NE(out.find(e.base), std::string::npos) << out;
    EXPECT_NE(out.find("NbrAircraftCfgFilled="), std::string::npos) << out;
    std::string png = e.dir.file("fleet.png");
    ASSERT_EQ(e.run("--screenshot '" + png + "' --size 640x300 2>/dev/null"), 0);
    EXPECT_EQ(readFile(png).substr(1, 3), "PNG");

    ASSERT_EQ(e.run("--export - --sort name", &out), 0);
    EXPECT_NE(out.find("\n C3 ,Baron,"), std::string::npos);
    EXPECT_EQ(out.find("\n C3 ,Baron,"), out.find('\n'));
    EXPECT_EQ(e.run("--export '" + e.dir.file("no/such/dir/x.csv") + "' 2>/dev/null", &out), 1);
    EXPECT_EQ(runCommand("'" + fleetValuer() + "' --sort colour 2>/dev/null"), 2);
}
