#include "tests/support/as_user.h"
#include "tests/uninstaller/sim_tree.h"

#include <chrono>
#include <csignal>
#include <set>
#include <sys/wait.h>
#include <thread>

using simtree::exists;
using simtree::SimTree;
namespace fs = std::filesystem;

namespace {

// The plan of a program that has ended already.
uninstall::RemovalPlan planOfEnded(const uninstall::Environment& env) {
    uninstall::RemovalPlan plan = uninstall::MakePlan(env);
    pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(0);
    ::waitpid(pid, nullptr, 0);
    plan.pid = pid;
    return plan;
}

// Runs the script to its end here, instead of detached.
bool runNow(const std::string& script) {
    return testsupport::runCommand("timeout 120 /bin/sh '" + script +
                                   "' </dev/null >/dev/null 2>&1") == 0;
}

} // namespace

TEST(Script, TakesTheAddonFolderAwayTakingPathsLiterally) {
    SimTree t;
    std::string odd = "it's \"odd\" $(touch pwned) `touch pwned` \\ sim";
    std::string program = t.make(odd + "/Tarnavel/UninstallTarnavel");
    t.make(odd + "/Aircraft/");
    fs::create_directory_symlink(t.outside, t.base + "/" + odd + "/Tarnavel/.out");
    uninstall::Environment env = t.env(program);
    env.tempFolder = t.make("tmp $HOME/");
    uninstall::RemovalPlan plan = planOfEnded(env);
    ASSERT_TRUE(uninstall::WriteSelfRemovalScript(plan, runNow));
    EXPECT_FALSE(exists(t.base + "/" + odd + "/Tarnavel"));
    EXPECT_TRUE(exists(t.base + "/" + odd));
    EXPECT_TRUE(simtree::scriptsIn(env.tempFolder).empty());
    EXPECT_FALSE(exists("/pwned"));
    EXPECT_TRUE(simtree::present(true, t.keptPaths()));
}

TEST(Script, NoneRunsFromAnUnrelatedFolder) {
    SimTree t;
    for (const char* folder : {"Downloads", "usr/bin"}) {
        std::string program = t.make(std::string(folder) + "/UninstallTarnavel");
        uninstall::RemovalPlan plan = planOfEnded(t.env(program));
        EXPECT_FALSE(uninstall::WriteSelfRemovalScript(plan, runNow)) << folder;
        EXPECT_TRUE(exists(program)) << folder;
        EXPECT_TRUE(fs::is_empty(t.tmp)) << folder;
    }
}

TEST(Script, GivesUpWithinItsBoundWhenNothingCanBeDeleted) {
    SimTree t;
    simtree::Undeletable stuck(t.program);
    if (!stuck.ok())
        GTEST_SKIP() << "cannot make a file undeletable here";
    uninstall::RemovalPlan plan = planOfEnded(t.env());
    auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(uninstall::WriteSelfRemovalScript(plan, runNow, {1, 2}));
    std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took.count(), 3.5); // it did retry, in both loops
    EXPECT_LT(took.count(), 15.0);
    EXPECT_TRUE(exists(t.program));
    EXPECT_FALSE(exists(t.sim + "/Tarnavel/bin/FleetScout.txt")); // what could go, went
    EXPECT_TRUE(simtree::scriptsIn(t.tmp).empty());
}

TEST(Script, WaitsForTheProgramToEndThenRunsOnItsOwn) {
    SimTree t;
    pid_t program = ::fork();
    if (program == 0) {
        ::sleep(60);
        ::_exit(0);
    }
    uninstall::RemovalPlan plan = uninstall::MakePlan(t.env());
    plan.pid = program;
    ASSERT_TRUE(uninstall::WriteSelfRemovalScript(plan, uninstall::StartScriptDetached));
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_TRUE(exists(t.program));
    ::kill(program, SIGKILL);
    ::waitpid(program, nullptr, 0);
    EXPECT_TRUE(testsupport::waitUntil([&] { return simtree::scriptsIn(t.tmp).empty(); }, 20000));
    EXPECT_FALSE(exists(t.sim + "/Tarnavel"));
}

TEST(Script, HasANameOfItsOwnInTheRuntimeFolderElseTheTemporaryOne) {
    struct Case {
        const char* what;
        const char* runtime; // relative to the base folder; "" for none
        const char* lands;
    } cases[] = {
        {"no runtime folder", "", "tmp"},
        {"a runtime folder", "run/user/1000", "run/user/1000"},
        {"a runtime folder that is not there", "run/gone", "tmp"},
    };
    for (const Case& c : cases) {
        SimTree t;
        uninstall::Environment env = t.env();
        std::string folder = t.base + "/" + c.lands;
        if (*c.runtime)
            env.runtimeFolder = t.base + "/" + c.runtime;
        fs::create_directories(folder);
        // Names someone else put there: the old fixed name and the pattern itself, as links.
        fs::create_symlink(t.outside + "/precious.txt", folder + "/_uninsep.sh");
        fs::create_symlink(t.outside + "/precious.txt", folder + "/_uninsep.XXXXXX.sh");
        uninstall::RemovalPlan plan = uninstall::MakePlan(env);
        EXPECT_EQ(plan.scriptPath, folder + "/_uninsep.XXXXXX.sh") << c.what;
        std::string started;
        ASSERT_TRUE(uninstall::WriteSelfRemovalScript(plan, [&](const std::string& path) {
            return started = path, true;
        })) << c.what;
        EXPECT_TRUE(simtree::isScriptIn(started, folder)) << c.what << ": " << started;
        uninstall::RemovalPlan own = plan;
        own.scriptPath = started;
        EXPECT_EQ(testsupport::readFile(started), uninstall::SelfRemovalScript(own)) << c.what;
        EXPECT_EQ(testsupport::readFile(t.outside + "/precious.txt"), "x") << c.what;
        EXPECT_TRUE(fs::is_symlink(folder + "/_uninsep.sh")) << c.what;
        // One that cannot be started does not stay behind.
        EXPECT_FALSE(
            uninstall::WriteSelfRemovalScript(plan, [](const std::string&) { return false; }));
        std::vector<std::string> left = simtree::scriptsIn(folder);
        EXPECT_EQ(std::set<std::string>(left.begin(), left.end()),
                  (std::set<std::string>{started, folder + "/_uninsep.XXXXXX.sh"}))
            << c.what;
    }
    // Another user's file of the old name in a shared, sticky folder is no obstacle.
    SimTree t;
    ::chmod(t.base.c_str(), 0755);
    ::chmod(t.tmp.c_str(), 01777);
    testsupport::writeFile(t.tmp + "/_uninsep.sh", "theirs");
    uninstall::RemovalPlan plan = uninstall::MakePlan(t.env());
    int status = testsupport::runAsOrdinaryUser([&] {
        return int(
            !uninstall::WriteSelfRemovalScript(plan, [](const std::string&) { return true; }));
    });
    if (status == -1)
        GTEST_SKIP() << "cannot run a child process as an ordinary user here";
    EXPECT_EQ(status, 0);
    EXPECT_EQ(simtree::scriptsIn(t.tmp).size(), 1u);
    EXPECT_EQ(testsupport::readFile(t.tmp + "/_uninsep.sh"), "theirs");
}
