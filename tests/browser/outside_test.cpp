// The browser started outside a simulator (from the desktop's menu, a terminal): without a
// window it shows the one simulator with the add-on, or the kept choice among several, and
// otherwise ends with the reason instead of an empty table.
#include "tests/browser/outside_home.h"

#include "browser/fleet_table.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

std::string fleetValuer() {
    return std::filesystem::absolute(testsupport::binDir() + "/FleetValuer").string();
}

} // namespace

TEST(FleetOutside, WhichSimulatorWithoutAWindow) {
    struct Row {
        int addons, kept;
        bool inside = false, base = false;
        int status;
        int shown; // the simulator whose add-on becomes the base; -1: the program's own
    } rows[] = {
        {0, -1, false, false, 1, -1}, {1, -1, false, false, 0, 0}, {2, -1, false, false, 1, -1},
        {2, 1, false, false, 0, 1},   {2, 1, true, false, 0, -1},  {2, -1, false, true, 0, -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.addons << " kept " << row.kept << " inside "
                                          << row.inside << " base " << row.base);
        OutsideHome home(row.addons);
        if (row.kept >= 0) {
            ASSERT_TRUE(home.keep(row.kept));
        }
        testsupport::SimFolder own;
        own.aircraft("mine", testsupport::aircraftCfgText("Mine", 1500, 0, 1));
        FleetState state;
        state.programPath = row.inside ? own.programPath() : home.programPath();
        if (row.base)
            state.baseOverride = own.base;
        EXPECT_EQ(SettleFleetWithoutWindow(state, home.h.options()), row.status);
        std::string want =
            row.shown < 0 ? own.base : home.sims[std::size_t(row.shown)] + "/Tarnavel";
        if (row.status == 0) {
            EXPECT_EQ(state.config.baseFolder(), want);
        }
    }
}

// Each mode without a window, as a process started in a home with no, one or several simulators
// with the add-on: a table of the right simulator, or exit status 1 with the reason and no file.
TEST(FleetOutside, ModesWithoutAWindowAsProcesses) {
    struct Home {
        int addons, kept;
        int status;
        const char* says;
        const char* lists;
    } homes[] = {
        {0, -1, 1, "no simulator with the Tarnavel add-on was found", ""},
        {1, -1, 0, "", "Plane 0"},
        {2, -1, 1, "several simulators have the Tarnavel add-on", "/Sim1/Tarnavel\n"},
        {2, 1, 0, "", "Plane 1"},
    };
    for (const Home& row : homes) {
        OutsideHome home(row.addons);
        if (row.kept >= 0) {
            ASSERT_TRUE(home.keep(row.kept));
        }
        for (std::string mode : {"--export", "--print-pdf", "--screenshot"}) {
            SCOPED_TRACE(mode + " with " + std::to_string(row.addons) + " kept " +
                         std::to_string(row.kept));
            std::string out = home.h.at("out");
            std::string err = home.h.at("err");
            std::string run =
                home.env() + "'" + fleetValuer() + "' " + mode + " '" + out + "' 2>'" + err + "'";
            EXPECT_EQ(testsupport::runCommand(run), row.status);
            std::string said = testsupport::readFile(err);
            EXPECT_NE(said.find(row.says), std::string::npos) << said;
            EXPECT_EQ(testsupport::exists(out), row.status == 0);
            std::string written = row.status == 0 ? testsupport::readFile(out) : said;
            if (mode == "--export" || row.status != 0) {
                EXPECT_NE(written.find(row.lists), std::string::npos) << written;
            }
            std::filesystem::remove(out);
        }
    }
}
