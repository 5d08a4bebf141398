#include "browser/fleet_export.h"
#include "browser/fleet_options.h"
#include "platform/base/fs.h"
#include "platform/base/fs_write.h"
#include "tests/browser/fleet_fixture.h"

#include <cerrno>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

using namespace tnv;
using namespace tnv::fleet;

using testsupport::runCommand;

namespace {

const char* kHeader =
    "Rank,Aircraft Name,Type,Empty Weight,Aircraft Price,Fs2004 Aircraft Folder\n";

std::string fleetValuer() {
    return std::filesystem::absolute(testsupport::binDir() + "/FleetValuer").string();
}

} // namespace

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
    EXPECT_EQ(shot->width, 800);
    EXPECT_EQ(shot->height, 600);

    for (std::vector<std::string> bad : {std::vector<std::string>{"--sort", "colour"},
                                         {"--sort"},
                                         {"--export"},
                                         {"--base", ""},
                                         {"--size", "800"},
                                         {"--size", "5x5"},
                                         {"--size", "800x600x"},
                                         {"--export", "-", "--screenshot", "a.png"},
                                         {"--explain", "--export", "-"},
                                         {"--print-pdf", "a.pdf", "--explain"},
                                         {"stray"}}) {
        error.clear();
        EXPECT_FALSE(ParseFleetOptions(bad, &error)) << bad[0];
        EXPECT_FALSE(error.empty());
    }
}

TEST(FleetOptions, AMissingOrEmptyValueSaysWhatItNeeds) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--base", ""}, "--base needs a folder"},
        {{"--export", ""}, "--export needs a file name or -"},
        {{"--screenshot", ""}, "--screenshot needs a file name"},
        {{"--print-pdf", ""}, "--print-pdf needs a file name"},
        {{"--page-size"}, "--page-size needs a value"},
        {{"--base"}, "--base needs a value"},
    };
    for (const auto& [args, message] : cases) {
        std::string error;
        EXPECT_FALSE(ParseFleetOptions(args, &error)) << args[0];
        EXPECT_EQ(error, message);
    }
    std::string error;
    auto pdf = ParseFleetOptions({"--print-pdf", "out.pdf", "--page-size", ""}, &error);
    ASSERT_TRUE(pdf) << error << ": the paper's name may be empty";
    EXPECT_EQ(pdf->printPdf, "out.pdf");
}

TEST(FleetExport, WritesTheTableAsDisplayed) {
    FleetSim sim;
    addMixedFleet(sim);
    FleetState state;
    state.baseOverride = sim.base;
    state.sort = SortByPrice;
    std::string out = sim.dir.file("fleet.csv");
    ASSERT_EQ(ExportFleet(state, out), 0);
    std::string csv = testsupport::readFile(out);
    EXPECT_EQ(csv.rfind(kHeader, 0), 0u);
    EXPECT_NE(csv.find("\n C6 ,Single jet,SEJ,11 lbs,\"$6,274\",g_single_jet\n"),
              std::string::npos);
    const std::string last = ",f_jumbo\n"; // the dearest comes last
    EXPECT_EQ(csv.compare(csv.size() - last.size(), last.size(), last), 0);
}

TEST(FleetExport, FailureLeavesTheOldFileAndSaysSo) {
    FleetSim sim;
    addMixedFleet(sim);
    std::string out = sim.dir.file("fleet.csv");
    testsupport::writeFile(out, "previous export");
    FleetState state;
    state.baseOverride = sim.base;
    fsx::injectWriteFailure(fsx::WriteStatus::CannotWrite, ENOSPC);
    EXPECT_EQ(ExportFleet(state, out), 1);
    fsx::injectWriteFailure(fsx::WriteStatus::Written, 0);
    EXPECT_EQ(testsupport::readFile(out), "previous export");

    std::string error;
    EXPECT_FALSE(WriteExport(sim.dir.file("no/such/folder.csv"), "x", &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(WriteExport("/dev/null", "x", &error)); // a device is written, never replaced
}

TEST(FleetExport, ALinkIsWrittenThrough) {
    FleetSim sim;
    addMixedFleet(sim);
    std::string real = sim.dir.mkdir("exports") + "/fleet.csv";
    testsupport::writeFile(real, "previous export");
    std::string link = sim.dir.file("fleet.csv");
    ASSERT_EQ(symlink("exports/fleet.csv", link.c_str()), 0);
    FleetState state;
    state.baseOverride = sim.base;
    ASSERT_EQ(ExportFleet(state, link), 0);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(testsupport::readFile(real).rfind(kHeader, 0), 0u);
}

TEST(FleetProgram, ExportFromTheCommandLine) {
    FleetSim sim;
    addMixedFleet(sim);
    std::string out;
    ASSERT_EQ(runCommand("'" + fleetValuer() + "' --base '" + sim.base + "' --export -", &out), 0);
    EXPECT_EQ(out.rfind(kHeader, 0), 0u);
    EXPECT_NE(out.find("\n C0 ,Cub,SEP,820 lbs,\"$120,882\",a_cub\n"), std::string::npos);

    // Started through a link in the add-on's bin folder, the program finds the add-on by the
    // path it was started by.
    std::string bin = sim.dir.mkdir("Sim/Tarnavel/bin");
    ASSERT_EQ(symlink(fleetValuer().c_str(), (bin + "/FleetValuer").c_str()), 0);
    std::string viaLink;
    ASSERT_EQ(runCommand("'" + bin + "/FleetValuer' --export - --sort name", &viaLink), 0);
    EXPECT_NE(viaLink.find("\n C3 ,Baron,"), std::string::npos);
    EXPECT_EQ(viaLink.find("\n C3 ,Baron,"), viaLink.find('\n'));

    std::string unwritable;
    EXPECT_EQ(runCommand("'" + fleetValuer() + "' --base '" + sim.base + "' --export '" +
                             sim.dir.file("no/such/dir/x.csv") + "' 2>/dev/null",
                         &unwritable),
              1);
    EXPECT_EQ(runCommand("'" + fleetValuer() + "' --sort colour 2>/dev/null"), 2);

    // No simulator where the add-on is said to be: no table, and the reason where it looked.
    std::string nowhere;
    EXPECT_EQ(runCommand("'" + fleetValuer() + "' --base '" + sim.dir.file("nowhere/Tarnavel") +
                             "' --export - 2>&1",
                         &nowhere),
              1);
    EXPECT_NE(nowhere.find("no aircraft folder at " + sim.dir.file("nowhere/Aircraft")),
              std::string::npos);
    EXPECT_EQ(nowhere.find(kHeader), std::string::npos);
}

// Silent by default; FLEETVALUER_TRACE=1 tells where it looked and what it counted.
TEST(FleetProgram, TraceOnRequestOnly) {
    FleetSim sim;
    addMixedFleet(sim);
    std::string quiet;
    ASSERT_EQ(
        runCommand("'" + fleetValuer() + "' --base '" + sim.base + "' --export /dev/null 2>&1",
                   &quiet),
        0);
    EXPECT_EQ(quiet, "");
    std::string traced;
    ASSERT_EQ(runCommand("FLEETVALUER_TRACE=1 '" + fleetValuer() + "' --base '" + sim.base +
                             "' --export /dev/null 2>&1",
                         &traced),
              0);
    EXPECT_NE(traced.find(sim.base), std::string::npos) << traced;
    EXPECT_NE(traced.find("NbrAircraftCfgFilled="), std::string::npos) << traced;
}

TEST(FleetProgram, Screenshot) {
    FleetSim sim;
    addMixedFleet(sim);
    std::string png = sim.dir.file("fleet.png");
    ASSERT_EQ(runCommand("'" + fleetValuer() + "' --base '" + sim.base + "' --screenshot '" + png +
                         "' --size 640x300 2>/dev/null"),
              0);
    EXPECT_EQ(testsupport::readFile(png).substr(1, 3), "PNG");
}
