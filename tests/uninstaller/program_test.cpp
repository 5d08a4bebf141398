// The built program, copied into a simulator tree and run as a user would run it.
#include "tests/uninstaller/sim_tree.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

using simtree::exists;
using simtree::SimTree;
namespace fs = std::filesystem;

namespace {

// Copies the program to `to` (a link to a copy when `link` is set) and runs it with `args`, with
// the tree's menu and temporary folders and no display. Returns the exit status.
int run(const SimTree& t, const std::string& to, const std::string& args, std::string* out,
        bool link = false) {
    std::string copy = link ? t.make("usr/bin/") + "UninstallTarnavel" : to;
    fs::copy_file(testsupport::binDir() + "/UninstallTarnavel", copy,
                  fs::copy_options::overwrite_existing);
    if (link) {
        fs::remove(to);
        fs::create_symlink(copy, to);
    }
    return testsupport::runCommand("cd / && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "
                                   "XDG_DATA_HOME='" +
                                       t.base + "/data' TMPDIR='" + t.tmp + "' '" + to + "' " +
                                       args + " 2>&1",
                                   out);
}

bool scriptEnds(const SimTree& t) {
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (exists(t.tmp + "/_uninsep.sh") && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return !exists(t.tmp + "/_uninsep.sh");
}

} // namespace

TEST(Program, SilentRemovesTheAddonAndThenItself) {
    for (bool link : {false, true}) { // copied in, or linked in as the set-up script does
        SimTree t;
        t.make("sim/Tarnavel/.hidden/x");
        fs::create_directory_symlink(t.outside, t.sim + "/Tarnavel/linked");
        std::string out;
        ASSERT_EQ(run(t, t.program, "--silent", &out, link), 0) << out;
        EXPECT_EQ(out, "Removing Tarnavel.. wait\nUninstall Completed click finish\n");
        EXPECT_TRUE(scriptEnds(t));
        for (const std::string& p : t.addonPaths())
            EXPECT_FALSE(exists(p)) << p;
        for (const std::string& p : t.keptPaths())
            EXPECT_TRUE(exists(p)) << p;
        EXPECT_EQ(exists(t.base + "/usr/bin/UninstallTarnavel"), link);
    }
}

TEST(Program, RunFromElsewhereLeavesItsOwnFolderAlone) {
    SimTree t;
    std::string program = t.make("sim/Downloads/") + "UninstallTarnavel";
    std::string out;
    ASSERT_EQ(run(t, program, "--silent", &out), 0) << out;
    EXPECT_TRUE(scriptEnds(t));
    EXPECT_TRUE(exists(program));
    EXPECT_FALSE(exists(t.sim + "/Flights/Tarnavel")); // the add-on itself still goes
}

TEST(Program, DryRunAndCommandLineMistakesTouchNothing) {
    SimTree t;
    std::string expected;
    for (const std::string& p :
         {t.sim + "/Tarnavel", t.sim + "/Flights/Tarnavel", t.sim + "/Gauges/Tarnavel2004.gau",
          t.sim + "/Modules/Tarnavel.dll", t.apps + "/Tarnavel/Tools", t.apps + "/Tarnavel",
          t.tmp + "/_uninsep.sh", t.program, t.sim + "/Tarnavel"})
        expected += p + "\n";
    struct Case {
        std::string args;
        int status;
        std::string says;
    } cases[] = {
        {"--dry-run", 0, expected},
        {"--bogus", 2, "unknown option '--bogus'"},
        {"--silent --dry-run", 2, "exclude each other"},
        {"--help", 0, "usage: UninstallTarnavel"},
        {"", 1, "no display"},
    };
    for (const Case& c : cases) {
        std::string out;
        EXPECT_EQ(run(t, t.program, c.args, &out), c.status) << c.args;
        EXPECT_NE(out.find(c.says), std::string::npos) << c.args << ": " << out;
    }
    for (const std::string& p : t.addonPaths())
        EXPECT_TRUE(exists(p)) << p;
    EXPECT_FALSE(exists(t.tmp + "/_uninsep.sh"));
}
