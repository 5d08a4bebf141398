// The built program, copied into a simulator tree and run as a user would run it.
#include "tests/uninstaller/sim_tree.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

using simtree::exists;
using simtree::SimTree;

namespace {

std::string builtProgram() {
    return testsupport::binDir() + "/UninstallTarnavel";
}

// Runs `program` with the tree's menu and temporary folders; returns the exit status.
int run(const SimTree& t, const std::string& program, const std::string& args, std::string* out) {
    std::string cmd = "cd '" + t.base +
                      "' && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM"
                      " XDG_DATA_HOME='" +
                      t.base + "/data' TMPDIR='" + t.tmp + "' '" + program + "' " + args + " 2>&1";
    return testsupport::runCommand(cmd, out);
}

bool waitGone(const std::string& path, int seconds) {
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (exists(path) && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return !exists(path);
}

void install(const std::string& to) {
    std::filesystem::copy_file(builtProgram(), to,
                               std::filesystem::copy_options::overwrite_existing);
}

} // namespace

TEST(Program, SilentRemovesTheAddonAndThenItself) {
    SimTree t;
    install(t.program);
    std::filesystem::create_directory_symlink(t.outside, t.sim + "/Tarnavel/linked");
    std::filesystem::create_directories(t.sim + "/Tarnavel/.hidden");
    std::string out;
    ASSERT_EQ(run(t, t.program, "--silent", &out), 0) << out;
    EXPECT_EQ(out, "Removing Tarnavel.. wait\nUninstall Completed click finish\n");
    EXPECT_TRUE(waitGone(t.tmp + "/_uninsep.sh", 30));
    for (const std::string& p : t.addonPaths())
        EXPECT_FALSE(exists(p)) << p;
    for (const std::string& p : t.keptPaths())
        EXPECT_TRUE(exists(p)) << p;
    EXPECT_TRUE(exists(t.sim + "/Flights/Other"));
    EXPECT_TRUE(exists(t.apps));
}

TEST(Program, ALinkInTheAddonFolderGoesButNotWhatItPointsTo) {
    SimTree t;
    std::string installed = t.dir.mkdir("usr/bin") + "/UninstallTarnavel";
    install(installed);
    std::filesystem::remove(t.program);
    std::filesystem::create_symlink(installed, t.program);
    std::string out;
    ASSERT_EQ(run(t, t.program, "--silent", &out), 0) << out;
    EXPECT_TRUE(waitGone(t.tmp + "/_uninsep.sh", 30));
    EXPECT_FALSE(exists(t.sim + "/Tarnavel"));
    EXPECT_TRUE(exists(installed));
}

TEST(Program, RunFromElsewhereLeavesItsOwnFolderAlone) {
    SimTree t;
    std::string downloads = t.dir.mkdir("sim/Downloads");
    install(downloads + "/UninstallTarnavel");
    testsupport::writeFile(downloads + "/holiday.jpg", "x");
    std::string out;
    ASSERT_EQ(run(t, downloads + "/UninstallTarnavel", "--silent", &out), 0) << out;
    EXPECT_TRUE(waitGone(t.tmp + "/_uninsep.sh", 30));
    EXPECT_TRUE(exists(downloads + "/UninstallTarnavel"));
    EXPECT_TRUE(exists(downloads + "/holiday.jpg"));
    EXPECT_FALSE(exists(t.sim + "/Flights/Tarnavel")); // the add-on itself still goes
}

TEST(Program, DryRunListsAndTouchesNothing) {
    SimTree t;
    install(t.program);
    std::string out;
    ASSERT_EQ(run(t, t.program, "--dry-run", &out), 0) << out;
    std::string expected;
    for (const std::string& p :
         {t.sim + "/Tarnavel", t.sim + "/Flights/Tarnavel", t.sim + "/Gauges/Tarnavel2004.gau",
          t.sim + "/Modules/Tarnavel.dll", t.apps + "/Tarnavel/Tools", t.apps + "/Tarnavel",
          t.tmp + "/_uninsep.sh", t.program, t.sim + "/Tarnavel"})
        expected += p + "\n";
    EXPECT_EQ(out, expected);
    for (const std::string& p : t.addonPaths())
        EXPECT_TRUE(exists(p)) << p;
    EXPECT_FALSE(exists(t.tmp + "/_uninsep.sh"));
}

TEST(Program, CommandLineMistakesAndNoDisplay) {
    SimTree t;
    install(t.program);
    struct Case {
        std::string args;
        int status;
        std::string says;
    } cases[] = {
        {"--bogus", 2, "unknown option '--bogus'"},
        {"--silent --dry-run", 2, "exclude each other"},
        {"--help", 0, "usage: UninstallTarnavel"},
        {"--version", 0, "UninstallTarnavel "},
        {"", 1, "no display"},
    };
    for (const Case& c : cases) {
        std::string out;
        EXPECT_EQ(run(t, t.program, c.args, &out), c.status) << c.args;
        EXPECT_NE(out.find(c.says), std::string::npos) << c.args << ": " << out;
    }
    for (const std::string& p : t.addonPaths())
        EXPECT_TRUE(exists(p)) << p;
}
