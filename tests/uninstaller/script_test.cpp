#include "tests/uninstaller/sim_tree.h"

#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <thread>

using simtree::exists;
using simtree::SimTree;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

long endedPid() {
    pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(0);
    ::waitpid(pid, nullptr, 0);
    return pid;
}

// Runs the script to its end here, instead of detached.
bool runNow(const std::string& script) {
    return testsupport::runCommand("timeout 120 /bin/sh '" + script +
                                   "' </dev/null >/dev/null 2>&1") == 0;
}

bool waitGone(const std::string& path, int seconds) {
    auto end = Clock::now() + std::chrono::seconds(seconds);
    while (exists(path) && Clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return !exists(path);
}

} // namespace

TEST(Script, TakesTheAddonFolderAwayTakingPathsLiterally) {
    SimTree t;
    std::string odd = "it's \"odd\" $(touch pwned) `touch pwned` \\ sim";
    std::string program = t.make(odd + "/Tarnavel/UninstallTarnavel");
    t.make(odd + "/Aircraft/");
    fs::create_directory_symlink(t.outside, t.base + "/" + odd + "/Tarnavel/.out");
    uninst::Environment env = t.env(program);
    env.tempFolder = t.make("tmp $HOME/");
    uninst::RemovalPlan plan = uninst::MakePlan(env);
    plan.pid = endedPid();
    ASSERT_TRUE(uninst::WriteSelfRemovalScript(plan, runNow));
    EXPECT_FALSE(exists(t.base + "/" + odd + "/Tarnavel"));
    EXPECT_TRUE(exists(t.base + "/" + odd));
    EXPECT_FALSE(exists(plan.scriptPath));
    EXPECT_FALSE(exists("/pwned"));
    for (const std::string& p : t.keptPaths())
        EXPECT_TRUE(exists(p)) << p;
}

TEST(Script, NeverEntersAMountInTheFolder) {
    SimTree t;
    t.make("sim/Tarnavel/.cache/x"); // kept by the program: the script's to take
    simtree::Mount ram("tmpfs", t.sim + "/Tarnavel/Sound/ram");
    simtree::Mount bound(t.outside + "/folder", t.sim + "/Tarnavel/bound");
    if (!ram.ok() || !bound.ok())
        GTEST_SKIP() << simtree::kCannotMount;
    testsupport::writeFile(t.sim + "/Tarnavel/Sound/ram/canary", "x");
    uninst::RemovalPlan plan = uninst::MakePlan(t.env());
    plan.pid = endedPid();
    auto start = Clock::now();
    ASSERT_TRUE(uninst::WriteSelfRemovalScript(plan, runNow));
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(10)); // gave up on the folder at once
    EXPECT_FALSE(exists(t.program));
    EXPECT_TRUE(exists(t.sim + "/Tarnavel/Sound/ram/canary"));
    EXPECT_TRUE(exists(t.outside + "/folder/inside.txt"));
    EXPECT_TRUE(exists(t.sim + "/Tarnavel/.cache/x"));
    EXPECT_FALSE(exists(plan.scriptPath));
}

TEST(Script, NoneRunsFromAnUnrelatedFolder) {
    SimTree t;
    for (const char* folder : {"Downloads", "usr/bin"}) {
        std::string program = t.make(std::string(folder) + "/UninstallTarnavel");
        uninst::RemovalPlan plan = uninst::MakePlan(t.env(program));
        plan.pid = endedPid();
        EXPECT_FALSE(uninst::WriteSelfRemovalScript(plan, runNow)) << folder;
        EXPECT_TRUE(exists(program)) << folder;
        EXPECT_TRUE(fs::is_empty(t.tmp)) << folder;
    }
}

TEST(Script, GivesUpWithinItsBoundWhenNothingCanBeDeleted) {
    SimTree t;
    simtree::Undeletable stuck(t.program);
    if (!stuck.ok())
        GTEST_SKIP() << "cannot make a file undeletable here";
    uninst::RemovalPlan plan = uninst::MakePlan(t.env());
    plan.pid = endedPid();
    auto start = Clock::now();
    ASSERT_TRUE(uninst::WriteSelfRemovalScript(plan, runNow, {1, 2}));
    std::chrono::duration<double> took = Clock::now() - start;
    EXPECT_GE(took.count(), 3.5); // it did retry, in both loops
    EXPECT_LT(took.count(), 15.0);
    EXPECT_TRUE(exists(t.program));
    EXPECT_FALSE(exists(t.sim + "/Tarnavel/bin/FleetScout.txt")); // what could go, went
    EXPECT_FALSE(exists(plan.scriptPath));
}

TEST(Script, WaitsForTheProgramToEndThenRunsOnItsOwn) {
    SimTree t;
    pid_t program = ::fork();
    if (program == 0) {
        ::sleep(60);
        ::_exit(0);
    }
    uninst::RemovalPlan plan = uninst::MakePlan(t.env());
    plan.pid = program;
    ASSERT_TRUE(uninst::WriteSelfRemovalScript(plan, uninst::StartScriptDetached));
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_TRUE(exists(t.program));
    ::kill(program, SIGKILL);
    ::waitpid(program, nullptr, 0);
    EXPECT_TRUE(waitGone(plan.scriptPath, 20));
    EXPECT_FALSE(exists(t.sim + "/Tarnavel"));
}

TEST(Script, IsWrittenAnewNeverThroughWhatIsThere) {
    SimTree t;
    uninst::RemovalPlan plan = uninst::MakePlan(t.env());
    fs::create_symlink(t.outside + "/precious.txt", plan.scriptPath);
    ASSERT_TRUE(uninst::WriteSelfRemovalScript(plan, [](const std::string&) { return true; }));
    EXPECT_EQ(testsupport::readFile(t.outside + "/precious.txt"), "x");
    EXPECT_EQ(fs::symlink_status(plan.scriptPath).type(), fs::file_type::regular);
    EXPECT_EQ(testsupport::readFile(plan.scriptPath), uninst::SelfRemovalScript(plan));
    // One that cannot be started does not stay behind.
    EXPECT_FALSE(uninst::WriteSelfRemovalScript(plan, [](const std::string&) { return false; }));
    EXPECT_FALSE(exists(plan.scriptPath));
}
