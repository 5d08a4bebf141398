#include "setup/sim_menu.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

using namespace tnv;

// Any path a simulator may have starts its program from the entry, and the entry passes the
// validator; a path no entry can hold is refused rather than written broken.
TEST(SimMenu, ProgramPathsInEntries) {
    testsupport::TempDir dir;
    struct Case {
        std::string path;
        bool representable;
    } cases[] = {
        {"/home/u/Simulators/MySim/Tarnavel/bin/FleetValuer", true},
        {"/home/u/My Sims/\"Quoted\" $HOME `x` 100% back\\slash/FleetValuer", true},
        {"/home/u/Caf\xC3\xA9 \xE2\x9C\x88/FleetValuer", true},
        {"/home/u/two\nlines/FleetValuer", false},
        {"/home/u/cp1252 Caf\xE9/FleetValuer", false},
    };
    simmenu::Places places = simmenu::Places::From(dir.path() + "/data", dir.path() + "/config");
    for (const Case& c : cases) {
        std::string arg = simmenu::ExecArgument(c.path);
        EXPECT_EQ(arg.empty(), !c.representable) << c.path;
        if (!c.representable)
            continue;
        simmenu::Group g = simmenu::GroupOf(places, "/sim");
        std::string error;
        auto files = simmenu::GroupFiles(g, "Tarnavel (x)", {c.path, c.path, c.path}, &error);
        ASSERT_EQ(files.size(), 6u) << error;
        EXPECT_EQ(simmenu::ExecProgram(files[1].text), c.path);
        ASSERT_TRUE(simmenu::WriteFiles(files, &error)) << error;
        std::string validate = "desktop-file-validate --no-hints '" + g.browserEntry + "' >&2";
        EXPECT_EQ(testsupport::runCommand(validate), 0) << c.path;
    }
}

// Groups are named after the simulator's folder, numbered when two share a name, and keep their
// name when set up again; two simulators never share a file.
TEST(SimMenu, GroupNames) {
    testsupport::TempDir dir;
    simmenu::Places places = simmenu::Places::From(dir.path() + "/data", dir.path() + "/config");
    struct Case {
        std::string sim, name;
    } cases[] = {
        {"/a/MySim", "Tarnavel (MySim)"},
        {"/b/MySim/", "Tarnavel (MySim) 2"},
        {"/c/MySim", "Tarnavel (MySim) 3"},
        {"/a/MySim", "Tarnavel (MySim)"}, // set up again
        {"/d/Other\tSim", "Tarnavel (Other Sim)"},
        {"/f/back\\slash", "Tarnavel (back\\slash)"},
        {"/f/back\\slash", "Tarnavel (back\\slash)"},
        {"/e/\xE9t\xE9", "Tarnavel (\xEF\xBF\xBDt\xEF\xBF\xBD)"},
    };
    std::set<std::string> ids;
    for (const Case& c : cases) {
        simmenu::Group g = simmenu::GroupOf(places, c.sim);
        std::string name = simmenu::GroupName(places, g, c.sim);
        EXPECT_EQ(name, c.name) << c.sim;
        std::string error;
        ASSERT_TRUE(simmenu::WriteFiles(
            simmenu::GroupFiles(g, name, {"/p/e", "/p/b", "/p/u"}, &error), &error));
        ids.insert(g.id);
    }
    EXPECT_EQ(ids.size(), 6u);
    EXPECT_EQ(simmenu::GroupOf(places, "/b/MySim").id, simmenu::GroupOf(places, "/b/MySim/").id);
}
