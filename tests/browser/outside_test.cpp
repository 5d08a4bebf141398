// The browser without a window, started in a home with no, one or several simulators with the
// add-on: outside a simulator it shows the only one or the kept choice, and otherwise ends with
// the reason instead of an empty table; inside one, or with --base, it does what it always did.
#include "tests/browser/fleet_fixture.h"
#include "tests/browser/outside_home.h"

#include <gtest/gtest.h>
#include <unistd.h>

TEST(FleetOutside, ModesWithoutAWindow) {
    enum Start { Outside, Inside, Base };
    const struct {
        int addons, kept;
        Start start;
        int status;
        const char* says;  // on stderr
        const char* lists; // in the CSV, or on stderr when it fails
    } rows[] = {
        {0, -1, Outside, 1, "no simulator with the Tarnavel add-on was found", ""},
        {1, -1, Outside, 0, "", "Plane 0"},
        {2, -1, Outside, 1, "several simulators have the Tarnavel add-on", "/Sim1/Tarnavel\n"},
        {2, 1, Outside, 0, "", "Plane 1"},
        {2, 1, Inside, 0, "", "Mine"},
        {2, 1, Base, 0, "", "Mine"}};
    for (const auto& row : rows) {
        OutsideHome home(row.addons);
        ASSERT_TRUE(row.kept < 0 || home.keep(row.kept));
        testsupport::SimFolder own;
        own.aircraft("mine", testsupport::aircraftCfgText("Mine", 1500, 0, 1));
        std::string program = "'" + fleetValuer() + "'";
        if (row.start == Inside) {
            std::string link = own.dir.mkdir("Sim/Tarnavel/bin") + "/FleetValuer";
            ASSERT_EQ(symlink(fleetValuer().c_str(), link.c_str()), 0);
            program = "'" + link + "'";
        } else if (row.start == Base) {
            program += " --base '" + own.base + "'";
        }
        for (std::string mode : {"--export", "--print-pdf", "--screenshot", "--explain"}) {
            SCOPED_TRACE(mode + " with " + std::to_string(row.addons) + " kept " +
                         std::to_string(row.kept) + " start " + std::to_string(row.start));
            const std::string out = home.h.at("out"), err = home.h.at("err");
            const bool explain = mode == "--explain"; // on standard output
            std::string run = home.env() + program + " " + mode + (explain ? " >'" : " '") + out +
                              "' 2>'" + err + "'";
            EXPECT_EQ(testsupport::runCommand(run), row.status);
            std::string said = testsupport::readFile(err);
            EXPECT_NE(said.find(row.says), std::string::npos) << said;
            if (explain)
                EXPECT_EQ(testsupport::readFile(out).empty(), row.status != 0);
            else
                EXPECT_EQ(testsupport::exists(out), row.status == 0);
            std::string written = row.status == 0 ? testsupport::readFile(out) : said;
            if (mode == "--export" || explain || row.status != 0) {
                EXPECT_NE(written.find(row.lists), std::string::npos) << written;
            }
            std::filesystem::remove(out);
        }
    }
}
