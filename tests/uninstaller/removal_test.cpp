#include "finder/finder.h"
#include "tests/uninstaller/sim_tree.h"

#include <functional>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/wait.h>

using simtree::exists;
using simtree::SimTree;
namespace fs = std::filesystem;

namespace {

struct Recorder : uninstall::RemovalView {
    std::vector<std::string> calls, started;
    void DisableUninstall() override { calls.push_back("disable"); }
    void ShowLabel(const std::string& text) override { calls.push_back(text); }
    void ShowFinish() override { calls.push_back("finish"); }
    uninstall::ScriptStarter starter() {
        return [this](const std::string& path) { return started.push_back(path), true; };
    }
};

} // namespace

TEST(Plan, OnlyAnAddonsTreeInASimulatorAndWhatTheScriptMayTakeAway) {
    SimTree t;
    fs::create_directory_symlink(t.sim, t.base + "/dosdevices");
    fs::create_directory_symlink(t.outside, t.make("linked/Aircraft/") + "../Tarnavel");
    t.make("sim/tarnavel/");
    t.make("home/Tarnavel/");
    t.make("wine/AIRCRAFT/");
    std::string wineProgram = t.make("wine/TARNAVEL/UninstallTarnavel");
    std::string copy = t.make("home/Downloads/UninstallTarnavel");
    struct Case {
        std::string program, real, simFolder; // simFolder empty: refused
        bool removesSelf;
    } cases[] = {
        {t.program, "", t.sim + "/", true},
        {t.base + "/dosdevices/Tarnavel/UninstallTarnavel", "", t.sim + "/", true}, // by a link
        {t.sim + "/tarnavel/UninstallTarnavel", "", t.sim + "/", false}, // not the add-on's
        {wineProgram, "", t.base + "/wine/", true},                      // letter case aside
        // The folders two levels up are a user's, not a simulator's.
        {copy, "", "", false},
        {t.sim + "/Downloads/UninstallTarnavel", "", "", false},
        {t.base + "/home/Tarnavel/UninstallTarnavel", "", "", false},
        {"/usr/bin/UninstallTarnavel", "", "", false},
        {"/UninstallTarnavel", "", "", false},
        // Through a desktop link or `exec -a`: the program's own file decides.
        {t.base + "/home/Desktop/Uninstall", t.program, t.sim + "/", true},
        {t.base + "/home/Tarnavel/UninstallTarnavel", t.program, t.sim + "/", true},
        {t.base + "/home/Tarnavel/UninstallTarnavel", copy, "", false},
    };
    for (const Case& c : cases) {
        uninstall::Environment env = t.env(c.program);
        env.realProgramPath = c.real;
        uninstall::RemovalPlan plan = uninstall::MakePlan(env);
        EXPECT_EQ(plan.simFolder, c.simFolder) << c.program;
        EXPECT_EQ(plan.refusal.empty(), !c.simFolder.empty()) << c.program;
        EXPECT_EQ(plan.selfFolder.empty(), !c.removesSelf) << c.program;
        if (c.removesSelf) {
            EXPECT_EQ(plan.selfFolder, plan.addonFolder) << c.program;
            EXPECT_EQ(plan.selfProgram, plan.addonFolder + "/UninstallTarnavel") << c.program;
        }
        if (c.simFolder.empty()) {
            EXPECT_TRUE(uninstall::PlanPaths(plan).empty()) << c.program;
        }
    }
    // A Tarnavel folder that is a link is kept, and so is the folder behind it.
    uninstall::RemovalPlan plan = uninstall::MakePlan(t.env(t.base + "/linked/Tarnavel/x"));
    EXPECT_EQ(plan.addonFolder, t.base + "/linked/Tarnavel");
    EXPECT_TRUE(plan.selfFolder.empty());
    for (const std::string& home : {t.sim + "/Tarnavel", t.sim + "/Tarnavel/bin"}) {
        uninstall::Environment env = t.env();
        env.homeFolder = home; // never the home folder, nor a folder holding it
        EXPECT_TRUE(uninstall::MakePlan(env).selfFolder.empty()) << home;
    }
    uninstall::Environment env = t.env(t.sim + "/tarnavel/UninstallTarnavel");
    env.programsFolder.clear();
    env.dataHome.clear(); // no menu known
    EXPECT_EQ(
        uninstall::PlanPaths(uninstall::MakePlan(env)),
        (std::vector<std::string>{t.sim + "/Tarnavel", t.sim + "/Flights/Tarnavel",
                                  t.sim + "/Gauges/Tarnavel2004.gau",
                                  t.sim + "/Modules/Tarnavel.dll", t.tmp + "/_uninsep.XXXXXX.sh"}));
}

TEST(Plan, FindsNamesLetterCaseAsideTheExactOneFirst) {
    SimTree t;
    t.make("sim/flights/x"); // beside Flights: the exact one wins
    t.make("sim/GAUGES/TARNAVEL2004.GAU");
    fs::remove_all(t.sim + "/Gauges");
    fs::remove(t.sim + "/Modules/Tarnavel.dll");
    t.make("sim/Modules/tarnavel.dll");
    uninstall::RemovalPlan plan = uninstall::MakePlan(t.env());
    EXPECT_EQ(plan.flightsFolder, t.sim + "/Flights/Tarnavel");
    EXPECT_EQ(plan.gaugeFile, t.sim + "/GAUGES/TARNAVEL2004.GAU");
    EXPECT_EQ(plan.moduleFile, t.sim + "/Modules/TARNAVEL.DLL"); // before tarnavel.dll
    EXPECT_EQ(uninstall::FindEntry(t.sim, "Absent"), t.sim + "/Absent");
    EXPECT_EQ(uninstall::FindEntry(t.sim + "/", "aircraft"), t.sim + "/Aircraft");
}

TEST(Plan, FollowsTheSimulatorsFoldersButNoLinkBelowThem) {
    SimTree t;
    fs::rename(t.sim + "/Flights", t.base + "/store");
    fs::create_directory_symlink(t.base + "/store", t.sim + "/Flights");
    fs::remove(t.sim + "/Modules/Tarnavel.dll");
    fs::create_directory_symlink(t.outside, t.sim + "/Modules/Tarnavel.dll");
    uninstall::RemovalPlan plan = uninstall::MakePlan(t.env());
    EXPECT_EQ(plan.flightsFolder, t.base + "/store/Tarnavel");
    Recorder r;
    EXPECT_EQ(uninstall::RunRemoval(t.env(), r, r.starter()), uninstall::Outcome::Completed);
    EXPECT_FALSE(exists(t.base + "/store/Tarnavel"));
    EXPECT_TRUE(exists(t.base + "/store/Other/keep.flt"));
    EXPECT_FALSE(exists(t.sim + "/Modules/Tarnavel.dll")); // a link, deleted as a link
    EXPECT_TRUE(simtree::present(true, t.keptPaths()));
}

TEST(Plan, PrintablePathsAreOneLineEach) {
    struct Case {
        std::string path, printed;
    } cases[] = {
        {"/plain/with space/it's", "/plain/with space/it's"},
        {"/a\nb", "'/a'$'\\n''b'"},
        {"/it's\n", "'/it'\\''s'$'\\n'"},
        {"/\t\r\x01\x7fx", "'/'$'\\t\\r\\001\\177''x'"},
        {"/caf\xc3\xa9\n", "'/caf\xc3\xa9'$'\\n'"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(uninstall::PrintablePath(c.path), c.printed) << c.path;
    // What a shell makes of the printed form is the path again.
    testsupport::TempDir dir;
    std::string path = "/odd 'name'\n\t$x\\";
    testsupport::writeFile(dir.file("echo.sh"), "printf %s " + uninstall::PrintablePath(path));
    std::string out;
    ASSERT_EQ(testsupport::runCommand("bash '" + dir.file("echo.sh") + "'", &out), 0);
    EXPECT_EQ(out, path);
}

TEST(RemoveTree, KeepsDotFoldersTheFileInUseAndEverythingBehindLinks) {
    SimTree t;
    t.make("sim/Tarnavel/.cache/deep/x");
    std::string deep;
    for (int i = 0; i < 200; ++i)
        deep += "d/";
    t.make("sim/Tarnavel/Sound/" + deep + "leaf");
    fs::create_directory_symlink(t.outside + "/folder", t.sim + "/Tarnavel/dirlink");
    fs::create_symlink(t.outside + "/precious.txt", t.sim + "/Tarnavel/bin/filelink");
    fs::create_symlink(t.base + "/nowhere", t.sim + "/Tarnavel/dangling");
    std::string before = fs::current_path();

    uninstall::RemoveTree(t.sim + "/Tarnavel", uninstall::FileId::of(t.program));
    EXPECT_TRUE(exists(t.program));                         // in use
    EXPECT_TRUE(exists(t.sim + "/Tarnavel/.cache/deep/x")); // never entered
    for (const char* gone : {".settings", "bin", "Sound", "dirlink", "dangling"})
        EXPECT_FALSE(exists(t.sim + "/Tarnavel/" + gone)) << gone;
    EXPECT_TRUE(simtree::present(true, t.keptPaths()));
    EXPECT_EQ(fs::current_path(), before);
}

TEST(RemoveTree, AnyDepthWithAFewDescriptorsAndLittleStack) {
    SimTree t(simtree::memoryFolder());
    simtree::DeepCleanup cleanup{t.base};
    constexpr int kDepth = 5000;
    ASSERT_TRUE(simtree::makeChain(t.make("sim/Tarnavel/Sound/"), kDepth));
    ASSERT_TRUE(simtree::makeChain(t.make("sim/Tarnavel/.cache/"), 50)); // hidden: kept
    // In a child with 32 descriptors and a walk on a thread of 256 KiB of stack: a walk that
    // recursed, or kept a folder open a level, would crash or give up far above the bottom.
    pid_t pid = ::fork();
    if (pid == 0) {
        rlimit few{32, 32};
        ::setrlimit(RLIMIT_NOFILE, &few);
        struct Job {
            std::string folder;
            uninstall::FileId inUse;
            uninstall::TreeResult result;
        } job{t.sim + "/Tarnavel", uninstall::FileId::of(t.program), {}};
        pthread_attr_t attr;
        pthread_attr_init(&attr);
        pthread_attr_setstacksize(&attr, 256 * 1024);
        pthread_t thread;
        auto body = [](void* arg) -> void* {
            auto* j = static_cast<Job*>(arg);
            j->result = uninstall::RemoveTree(j->folder, j->inUse);
            return nullptr;
        };
        if (pthread_create(&thread, &attr, body, &job) != 0 || pthread_join(thread, nullptr) != 0)
            ::_exit(3);
        ::_exit(job.result.failed == 0 && job.result.hidden == 1 && job.result.holdsInUse ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << "killed by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_FALSE(exists(t.sim + "/Tarnavel/Sound"));
    EXPECT_TRUE(exists(t.sim + "/Tarnavel/.cache/d/d"));
    EXPECT_TRUE(exists(t.program));
}

TEST(RemoveTree, RemovesNothingUnlessTheFolderIsExactlyThePathGiven) {
    SimTree t;
    t.make("sim/CASE/f");
    fs::create_directory_symlink(t.sim + "/CASE", t.sim + "/case");
    fs::create_directory_symlink(t.sim, t.base + "/simlink");
    std::string before = fs::current_path();
    for (const std::string& p :
         {t.sim + "/tarnavel", // letter case differs
          t.sim + "/case",     // entering it leads to ".../CASE"
          t.base + "/simlink/Tarnavel", t.sim + "/Tarnavel/", t.sim + "/Absent", std::string()}) {
        uninstall::RemoveTree(p);
        EXPECT_EQ(fs::current_path(), before) << p;
    }
    EXPECT_TRUE(exists(t.sim + "/CASE/f"));
    EXPECT_TRUE(exists(t.sim + "/Tarnavel/bin/FleetScout.txt"));
}

TEST(Flow, RemovesTheAddonInOrderAndStartsTheScript) {
    SimTree t;
    t.make("data/applications/Tarnavel/Sub/");
    Recorder r;
    uninstall::RunRemoval(t.env(), r, r.starter());
    EXPECT_EQ(r.calls, (std::vector<std::string>{"disable", "Removing Tarnavel.. wait", "finish",
                                                 "Uninstall Completed click finish"}));
    for (const std::string& p : t.addonPaths())
        EXPECT_EQ(exists(p), p == t.sim + "/Tarnavel" || p == t.apps + "/Tarnavel") << p;
    EXPECT_TRUE(exists(t.program));                // left to the script
    EXPECT_TRUE(exists(t.apps + "/Tarnavel/Sub")); // the menu group is not searched deeper
    EXPECT_TRUE(simtree::present(true, t.keptPaths()));
    ASSERT_EQ(r.started.size(), 1u);
    EXPECT_TRUE(simtree::isScriptIn(r.started[0], t.tmp)) << r.started[0];
    EXPECT_NE(testsupport::readFile(r.started[0]).find(t.program), std::string::npos);
}

TEST(RemoveTree, NeverEntersAMountPoint) {
    SimTree t;
    t.make("outside/tmpfs/");
    simtree::Mount bound(t.outside + "/folder", t.sim + "/Tarnavel/Sound/bound"); // same st_dev
    simtree::Mount ram("tmpfs", t.sim + "/Tarnavel/ram");
    if (!bound.ok() || !ram.ok())
        GTEST_SKIP() << simtree::kCannotMount;
    testsupport::writeFile(t.sim + "/Tarnavel/ram/canary", "x");
    uninstall::TreeResult r =
        uninstall::RemoveTree(t.sim + "/Tarnavel", uninstall::FileId::of(t.program));
    EXPECT_EQ(r.mounts, 2);
    EXPECT_FALSE(r.removed);
    EXPECT_TRUE(exists(t.outside + "/folder/inside.txt"));
    EXPECT_TRUE(exists(t.sim + "/Tarnavel/ram/canary"));
    EXPECT_FALSE(exists(t.sim + "/Tarnavel/bin"));
    EXPECT_FALSE(exists(t.sim + "/Tarnavel/Sound/Crewpack"));
}

TEST(MenuGroup, ALinkIsDeletedAsALinkAtEveryLevel) {
    for (const char* linked : {"Tarnavel", "Tarnavel/Tools"}) {
        SimTree t;
        t.linkOut(std::string("data/applications/") + linked, "menu");
        auto behind = [&] {
            return std::distance(fs::recursive_directory_iterator(t.outside + "/menu"), {});
        };
        const auto before = behind();
        EXPECT_EQ(uninstall::RemoveStartMenuGroup(t.apps), 0) << linked;
        EXPECT_FALSE(exists(t.apps + "/Tarnavel")) << linked;
        EXPECT_GT(before, 0) << linked;
        EXPECT_EQ(behind(), before) << linked; // all of it
        EXPECT_TRUE(exists(t.apps + "/other.desktop")) << linked;
    }
    // The menu folder itself may be a link: it is the desktop's.
    SimTree t;
    t.linkOut("data/applications", "applications");
    uninstall::RemoveStartMenuGroup(t.apps);
    EXPECT_FALSE(exists(t.outside + "/applications/Tarnavel"));
    EXPECT_TRUE(exists(t.outside + "/applications/other.desktop"));
}

TEST(Flow, SaysWhatWasLeft) {
    struct Case {
        std::string name;
        std::function<void(const SimTree&)> arrange;
        std::string kept = {}; // behind a link, relative to the base folder
        bool scriptWritten = true;
    } cases[] = {
        {"the add-on's folder is a link",
         [](const SimTree& t) { t.linkOut("sim/Tarnavel", "addon"); },
         "outside/addon/bin/FleetScout.txt"},
        {"the flights folder is a link",
         [](const SimTree& t) { t.linkOut("sim/Flights/Tarnavel", "flights"); },
         "outside/flights/Career/leg1.flt"},
        {"a hidden folder in the flights folder",
         [](const SimTree& t) { t.make("sim/Flights/Tarnavel/.keep/x"); }},
        {"the module is a folder",
         [](const SimTree& t) { t.asFolder("sim/Modules/Tarnavel.dll"); }},
        {"the script cannot be written", [](const SimTree& t) { fs::remove_all(t.tmp); }, "",
         false},
    };
    for (const Case& c : cases) {
        SimTree t;
        c.arrange(t);
        Recorder r;
        EXPECT_EQ(uninstall::RunRemoval(t.env(), r, r.starter()), uninstall::Outcome::Left)
            << c.name;
        EXPECT_EQ(r.calls.back(), "Uninstall finished, some files were left in place") << c.name;
        EXPECT_EQ(r.started.size(), c.scriptWritten ? 1u : 0u) << c.name;
        EXPECT_TRUE(simtree::present(true, t.keptPaths())) << c.name;
        EXPECT_TRUE(c.kept.empty() || exists(t.base + "/" + c.kept)) << c.name;
    }
    SimTree t;
    simtree::Undeletable stuck(t.sim + "/Flights/Tarnavel/Career/leg1.flt");
    if (!stuck.ok())
        GTEST_SKIP() << "cannot make a file undeletable here";
    Recorder r;
    EXPECT_EQ(uninstall::RunRemoval(t.env(), r, r.starter()), uninstall::Outcome::Left);
}

TEST(Flow, EndsDoneWithNothingLeftAndRefusesAStrangeTree) {
    SimTree t;
    fs::remove_all(t.sim + "/Tarnavel/bin");
    fs::remove_all(t.sim + "/Tarnavel/Sound");
    fs::remove_all(t.sim + "/Flights/Tarnavel");
    fs::remove(t.sim + "/Gauges/Tarnavel2004.gau");
    fs::remove(t.sim + "/Modules/Tarnavel.dll");
    fs::remove_all(t.apps);
    Recorder r;
    EXPECT_EQ(uninstall::RunRemoval(t.env(), r, r.starter()), uninstall::Outcome::Completed);
    EXPECT_EQ(r.calls.back(), "Uninstall Completed click finish");
    EXPECT_EQ(r.started.size(), 1u); // nothing found, and still the script

    std::string copy = t.make("home/Downloads/UninstallTarnavel");
    std::string canary = t.make("home/Flights/Tarnavel/trip.flt");
    Recorder r2;
    EXPECT_EQ(uninstall::RunRemoval(t.env(copy), r2, r2.starter()), uninstall::Outcome::Refused);
    EXPECT_EQ(r2.calls,
              (std::vector<std::string>{
                  "disable", "Not in a simulator's Tarnavel folder: nothing was removed"}));
    EXPECT_TRUE(r2.started.empty());
    EXPECT_TRUE(exists(canary));
}

// The simulator's own menu group and registration go; another simulator's stay, and so does an
// earlier set-up's "Tarnavel" group unless every entry of it starts a program of this simulator.
TEST(Flow, TakesOnlyItsOwnMenuGroupAndRegistration) {
    struct Case {
        std::string oldExec; // of the old group's uninstaller entry; "SIM" and "OTHER" replaced
        bool oldGroupGoes;
    } cases[] = {
        {"SIM/Tarnavel/UninstallTarnavel", true},
        {"OTHER/Tarnavel/UninstallTarnavel", false},
        {"/usr/bin/UninstallTarnavel", false},
        {"", false},
    };
    for (const Case& c : cases) {
        SimTree t;
        std::string other = fs::canonical(t.make("other/Tarnavel/bin/") + "../..").string();
        t.make("other/Aircraft/");
        std::string exec = c.oldExec.starts_with("SIM")     ? t.sim + c.oldExec.substr(3)
                           : c.oldExec.starts_with("OTHER") ? other + c.oldExec.substr(5)
                                                            : c.oldExec;
        testsupport::writeFile(t.apps + "/Tarnavel/Uninstall.desktop",
                               "[Desktop Entry]\n" + (exec.empty() ? "" : "Exec=" + exec));
        uninstall::Environment env = t.env();
        simmenu::Places places = simmenu::Places::From(env.dataHome, env.configHome);
        finder::Environment user = finder::Environment::From("", env.configHome, "", "");
        std::string error;
        for (const std::string& sim : {t.sim, other}) {
            simmenu::Group g = simmenu::GroupOf(places, sim);
            ASSERT_TRUE(simmenu::WriteFiles(
                simmenu::GroupFiles(g, simmenu::GroupName(places, g, sim),
                                    {sim + "/a", sim + "/b", sim + "/c"}, &error),
                &error))
                << error;
            ASSERT_TRUE(finder::AddRegistration(user, sim, &error)) << error;
        }
        Recorder r;
        uninstall::RunRemoval(env, r, r.starter());
        EXPECT_TRUE(simtree::present(false, simmenu::GroupOf(places, t.sim).Files()));
        EXPECT_TRUE(simtree::present(true, simmenu::GroupOf(places, other).Files()));
        EXPECT_EQ(finder::ReadRegistration(user), std::vector<std::string>{other});
        EXPECT_EQ(exists(t.apps + "/Tarnavel"), !c.oldGroupGoes) << c.oldExec;
        EXPECT_TRUE(exists(t.apps + "/other.desktop"));
    }
}
