#include "browser/fleet_explain.h"
#include "tests/browser/fleet_fixture.h"

#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using testsupport::runCommand;

namespace {

// The lines --explain writes for a simulator.
std::string explain(FleetState& state) {
    char* text = nullptr;
    std::size_t size = 0;
    std::FILE* out = open_memstream(&text, &size);
    EXPECT_TRUE(ExplainScan(state, out));
    std::fclose(out);
    std::string lines(text, size);
    std::free(text);
    return lines;
}

} // namespace

TEST(Explain, OneLinePerOutcomeWithTheScansReason) {
    FleetSim sim;
    sim.keywords("AIG_;\n");
    const std::string cfgRest = "\nempty_weight=1500\nEngine.0=1\n";
    struct Case {
        const char *folder, *lines;
        std::string cfg; // aircraft.cfg's text, unless `make` fills the folder
        std::function<void(const std::string& path)> make = nullptr;
    } cases[] = {
        {"a_listed", "a_listed\tlisted\tFirst\na_listed\tlisted\tSecond?livery\n",
         "title=first\ntitle=Second\tlivery" + cfgRest},
        {"b_keyword", "b_keyword\tleft out\tAI keyword \"AIG_\" in the line \"sim=aig_747\"\n",
         "title=x" + cfgRest + "sim=aig_747\r\n"},
        {"c_helicopter",
         "c_helicopter\tleft out\tengine_type 3 is not listed (only 0 piston, 1 jet and 5 "
         "turboprop are)\n",
         "title=x" + cfgRest + "engine_type=3\n"},
        {"d_untitled", "d_untitled\tleft out\tno title line\n", "title without equals" + cfgRest},
        {"e_kite", "e_kite\tleft out\tan empty weight of 10 lb or less (10)\n",
         "title=x\nempty_weight=10\nEngine.0=1\n"},
        {"f_glider", "f_glider\tleft out\tno engine line (Engine.0=...)\n",
         "title=x\nempty_weight=600\n"},
        {"g_textures", "g_textures\tleft out\tno aircraft.cfg\n", "", [](const std::string&) {}},
        {"h_fifo", "h_fifo\tleft out\taircraft.cfg is not a regular file\n", "",
         [](const std::string& p) { ASSERT_EQ(mkfifo((p + "/Aircraft.cfg").c_str(), 0644), 0); }},
        {"i_loop",
         "i_loop\tleft out\taircraft.cfg cannot be read: Too many levels of symbolic links\n", "",
         [](const std::string& p) {
             ASSERT_EQ(symlink("aircraft.cfg", (p + "/aircraft.cfg").c_str()), 0);
         }}};
    std::string expected;
    for (const Case& c : cases) {
        const std::string path = sim.dir.mkdir("Sim/Aircraft/" + std::string(c.folder));
        if (c.make)
            ASSERT_NO_FATAL_FAILURE(c.make(path));
        else
            testsupport::writeFile(path + "/aircraft.cfg", c.cfg);
        expected += c.lines;
    }
    testsupport::writeFile(sim.dir.file("Sim/Aircraft/loose.cfg"), "title=x" + cfgRest);
    FleetState state;
    state.baseOverride = sim.base;
    EXPECT_EQ(explain(state), expected);
    // The table the window shows is the same scan's.
    EXPECT_EQ(state.table->NbrAircraftCfgFilled, 1);
}

TEST(Explain, FoldersPastTheTablesLimitAreNotRead) {
    // With every variation, 100 folders of 20 liveries fill the table's 2000 records.
    FleetSim sim;
    std::string liveries;
    for (int i = 0; i < kMaxTitles; ++i)
        liveries += "title=v" + std::to_string(i) + "\n";
    char name[16];
    for (int i = 0; i <= kReadLimit / kMaxTitles; ++i) {
        std::snprintf(name, sizeof name, "f%03d", i);
        sim.aircraft(name, liveries + "empty_weight=1500\nEngine.0=1\n");
    }
    FleetState state;
    state.baseOverride = sim.base;
    state.table->showAllVariations = true;
    const std::string lines = explain(state);
    EXPECT_NE(lines.find("f099\tlisted\tV19\n"), std::string::npos);
    EXPECT_TRUE(
        lines.ends_with("f100\tleft out\tnot read: the table holds 2000 aircraft already\n"))
        << lines.substr(lines.size() - 200);
}

TEST(Explain, FromTheCommandLine) {
    FleetSim sim;
    addMixedFleet(sim);
    // Started through a link in the add-on's bin folder, as --export is.
    const std::string program = fleetValuer();
    const std::string link = sim.dir.mkdir("Sim/Tarnavel/bin") + "/FleetValuer";
    ASSERT_EQ(symlink(program.c_str(), link.c_str()), 0);
    std::string out;
    ASSERT_EQ(runCommand("'" + link + "' --explain", &out), 0);
    EXPECT_EQ(out.rfind("a_cub\tlisted\tCub\n", 0), 0u) << out;
    // A write that fails is told, and so is a simulator without an Aircraft folder.
    EXPECT_EQ(runCommand("'" + link + "' --explain >/dev/full 2>/dev/null"), 1);
    const std::string nowhere = sim.dir.file("nowhere/Tarnavel");
    EXPECT_EQ(runCommand("'" + program + "' --base '" + nowhere + "' --explain 2>/dev/null", &out),
              1);
    EXPECT_EQ(out, "");
}
