#include "tests/uninstaller/sim_tree.h"
#include "uninstaller/removal.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using simtree::exists;
using simtree::SimTree;
using testsupport::writeFile;

namespace {

// A process id that no process has any more.
long endedPid() {
    pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(0);
    ::waitpid(pid, nullptr, 0);
    return pid;
}

// Runs the script here and now, as the detached start would, but waiting for it.
bool runNow(const std::string& script) {
    return testsupport::runCommand("timeout 120 /bin/sh '" + script +
                                   "' </dev/null >/dev/null 2>&1") == 0;
}

template <class Pred> bool waitUntil(Pred pred, int seconds) {
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < end) {
        if (pred())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return pred();
}

} // namespace

TEST(Script, TakesTheProgramAndItsFolderAwayWithoutFollowingLinks) {
    SimTree t;
    std::filesystem::create_directory_symlink(t.outside, t.sim + "/Tarnavel/.out");
    std::filesystem::create_symlink(t.outside + "/precious.txt", t.sim + "/Tarnavel/bin/p");
    uninst::RemovalPlan plan = uninst::MakePlan(t.env());
    plan.pid = endedPid();
    ASSERT_TRUE(uninst::WriteSelfRemovalScript(plan, runNow));
    EXPECT_FALSE(exists(t.sim + "/Tarnavel"));
    EXPECT_FALSE(exists(plan.scriptPath));
    for (const std::string& p : t.keptPaths())
        EXPECT_TRUE(exists(p)) << p;
}

TEST(Script, PathsAreTakenLiterally) {
    SimTree t;
    std::string sim = t.base + "/it's \"odd\" $(touch pwned) `touch pwned2` \\ sim";
    std::filesystem::create_directories(sim + "/Tarnavel");
    writeFile(sim + "/Tarnavel/UninstallTarnavel", "x");
    uninst::Environment env = t.env(sim + "/Tarnavel/UninstallTarnavel");
    env.tempFolder = t.base + "/tmp $HOME";
    std::filesystem::create_directories(env.tempFolder);
    uninst::RemovalPlan plan = uninst::MakePlan(env);
    ASSERT_FALSE(plan.selfFolder.empty());
    plan.pid = endedPid();
    ASSERT_TRUE(uninst::WriteSelfRemovalScript(plan, runNow));
    EXPECT_FALSE(exists(sim + "/Tarnavel"));
    EXPECT_TRUE(exists(sim));
    EXPECT_FALSE(exists(plan.scriptPath));
    EXPECT_FALSE(exists("/pwned"));
    EXPECT_FALSE(exists("/pwned2"));
}

TEST(Script, RunFromAnUnrelatedFolderRemovesOnlyItself) {
    SimTree t;
    for (const char* folder : {"Downloads", "usr/bin"}) {
        std::string dir = t.dir.mkdir(folder);
        writeFile(dir + "/UninstallTarnavel", "x");
        writeFile(dir + "/other", "x");
        uninst::RemovalPlan plan = uninst::MakePlan(t.env(dir + "/UninstallTarnavel"));
        plan.pid = endedPid();
        ASSERT_TRUE(uninst::WriteSelfRemovalScript(plan, runNow));
        EXPECT_TRUE(exists(dir + "/UninstallTarnavel")) << folder;
        EXPECT_TRUE(exists(dir + "/other")) << folder;
        EXPECT_FALSE(exists(plan.scriptPath));
    }
    EXPECT_TRUE(exists(t.program));
}

TEST(Script, GivesUpWithinItsBoundWhenNothingCanBeDeleted) {
    SimTree t;
    simtree::Undeletable stuck(t.program);
    if (!stuck.ok())
        GTEST_SKIP() << "cannot make a file undeletable here";
    uninst::RemovalPlan plan = uninst::MakePlan(t.env());
    plan.pid = endedPid();
    auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(uninst::WriteSelfRemovalScript(plan, runNow, {1, 2}));
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 15.0);
    EXPECT_GE(seconds, 3.5); // it did retry, twice per loop
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
    EXPECT_TRUE(exists(plan.scriptPath));
    ::kill(program, SIGKILL);
    ::waitpid(program, nullptr, 0);
    EXPECT_TRUE(waitUntil([&] { return !exists(plan.scriptPath); }, 20));
    EXPECT_FALSE(exists(t.sim + "/Tarnavel"));
    for (const std::string& p : t.keptPaths())
        EXPECT_TRUE(exists(p)) << p;
}

TEST(Script, IsWrittenAnewAndNeverThroughWhatIsThere) {
    SimTree t;
    uninst::RemovalPlan plan = uninst::MakePlan(t.env());
    std::filesystem::create_symlink(t.outside + "/precious.txt", plan.scriptPath);
    std::vector<std::string> started;
    auto record = [&](const std::string& p) {
        started.push_back(p);
        return true;
    };
    ASSERT_TRUE(uninst::WriteSelfRemovalScript(plan, record));
    EXPECT_EQ(testsupport::readFile(t.outside + "/precious.txt"), "x");
    struct stat st;
    ASSERT_EQ(::lstat(plan.scriptPath.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(testsupport::readFile(plan.scriptPath), uninst::SelfRemovalScript(plan));
    EXPECT_EQ(started, std::vector<std::string>{plan.scriptPath});

    // A script that cannot be started does not stay behind.
    EXPECT_FALSE(uninst::WriteSelfRemovalScript(plan, [](const std::string&) { return false; }));
    EXPECT_FALSE(exists(plan.scriptPath));
}
