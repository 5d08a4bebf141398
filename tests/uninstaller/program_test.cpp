// The built program, copied into a simulator tree and run as a user would run it.
#include "tests/uninstaller/sim_tree.h"

#include <chrono>
#include <functional>

using simtree::exists;
using simtree::SimTree;
namespace fs = std::filesystem;

namespace {

std::string copyProgram(const std::string& to) {
    fs::create_directories(fs::path(to).parent_path());
    fs::copy_file(testsupport::binDir() + "/UninstallTarnavel", to,
                  fs::copy_options::overwrite_existing);
    return to;
}

// From the root folder, with the tree's menu and temporary folders and no display.
std::string inTree(const SimTree& t) {
    return "cd / && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u XDG_RUNTIME_DIR "
           "XDG_DATA_HOME='" +
           t.base + "/data' XDG_CONFIG_HOME='" + t.base + "/config' TMPDIR='" + t.tmp + "' ";
}

// Copies the program to `to` (a link to a copy when `link` is set) and runs it with `args`
// after the shell commands `before`. Returns the exit status.
int run(const SimTree& t, const std::string& to, const std::string& args, std::string* out,
        bool link = false, const std::string& before = "") {
    std::string copy = copyProgram(link ? t.make("usr/bin/") + "UninstallTarnavel" : to);
    if (link) {
        fs::remove(to);
        fs::create_symlink(copy, to);
    }
    return testsupport::runCommand(before + inTree(t) + "'" + to + "' " + args + " 2>&1", out);
}

bool scriptEnds(const SimTree& t) {
    return testsupport::waitUntil([&] { return simtree::scriptsIn(t.tmp).empty(); }, 30000);
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
        EXPECT_TRUE(simtree::present(false, t.addonPaths()));
        EXPECT_TRUE(simtree::present(true, t.keptPaths()));
        EXPECT_EQ(exists(t.base + "/usr/bin/UninstallTarnavel"), link);
    }
}

TEST(Program, SilentRemovesADeepTreeWithFewDescriptorsAndLittleStack) {
    SimTree t(simtree::memoryFolder());
    simtree::DeepCleanup cleanup{t.base};
    // Deeper than 1 MiB of stack or 64 descriptors would reach a level at a time; the hidden
    // chain is the script's to take.
    ASSERT_TRUE(simtree::makeChain(t.make("sim/Tarnavel/Sound/"), 5000));
    ASSERT_TRUE(simtree::makeChain(t.make("sim/Tarnavel/.cache/"), 5000));
    std::string out;
    ASSERT_EQ(run(t, t.program, "--silent", &out, false, "ulimit -n 64 && ulimit -s 1024 && "), 0)
        << out;
    EXPECT_EQ(out, "Removing Tarnavel.. wait\nUninstall Completed click finish\n");
    EXPECT_TRUE(scriptEnds(t));
    EXPECT_TRUE(simtree::present(false, t.addonPaths()));
    EXPECT_TRUE(simtree::present(true, t.keptPaths()));
}

TEST(Program, RemovesNothingUnlessItRunsFromTheAddonsTree) {
    enum Expect { Refused, RemovesTheSimulators };
    struct Case {
        std::string name, file, argv0; // relative to the test's base folder
        Expect expect;
    } cases[] = {
        {"a copy in Downloads", "home/Downloads/UninstallTarnavel",
         "home/Downloads/UninstallTarnavel", Refused},
        {"a copy in a folder named Tarnavel in the home folder", "home/Tarnavel/UninstallTarnavel",
         "home/Tarnavel/UninstallTarnavel", Refused},
        {"a desktop link to the installed program", "home/Desktop/Uninstall Tarnavel",
         "home/Desktop/Uninstall Tarnavel", RemovesTheSimulators},
        {"exec -a with a name elsewhere", "sim/Tarnavel/UninstallTarnavel",
         "home/Downloads/UninstallTarnavel", RemovesTheSimulators},
        {"exec -a naming a Tarnavel folder outside any simulator",
         "home/Downloads/UninstallTarnavel", "home/Tarnavel/UninstallTarnavel", Refused},
        {"a bare name not on the PATH", "home/Downloads/UninstallTarnavel", "UninstallTarnavel",
         Refused},
    };
    for (const Case& c : cases) {
        for (const char* mode : {"--dry-run", "--silent"}) {
            SimTree t;
            std::vector<std::string> canaries; // a home holding what an add-on tree holds
            for (const char* rel : {"home/Tarnavel/notes.txt", "home/Flights/Tarnavel/trip.flt",
                                    "home/Gauges/Tarnavel2004.gau", "home/Modules/Tarnavel.dll",
                                    "home/canary/keep.txt"})
                canaries.push_back(t.make(rel));
            std::string file = t.base + "/" + c.file;
            bool desktop = c.file.find("Desktop") != std::string::npos;
            copyProgram(desktop ? t.program : file);
            if (desktop) // a link to the installed program
                fs::create_symlink(t.program, t.make("home/Desktop/") + "Uninstall Tarnavel");
            std::string argv0 =
                c.argv0.find('/') == std::string::npos ? c.argv0 : t.base + "/" + c.argv0;
            std::string out;
            // Started as `argv0` (bash's exec -a), as a user's shell would.
            int status = testsupport::runCommand(inTree(t) + "HOME='" + t.base +
                                                     "/home' bash -c 'exec -a \"$0\" \"$@\"' '" +
                                                     argv0 + "' '" + file + "' " + mode + " 2>&1",
                                                 &out);
            std::string what = c.name + " " + mode + ": " + out;
            EXPECT_TRUE(simtree::present(true, canaries)) << what;
            EXPECT_TRUE(exists(file) || (file == t.program && std::string(mode) == "--silent"))
                << what;
            if (c.expect == Refused) {
                EXPECT_EQ(status, 1) << what;
                EXPECT_NE(out.find("not in the Tarnavel folder of a simulator"), std::string::npos)
                    << what;
                EXPECT_EQ(out.find("Removing"), std::string::npos) << what;
                EXPECT_TRUE(exists(t.sim + "/Flights/Tarnavel")) << what;
                EXPECT_TRUE(simtree::scriptsIn(t.tmp).empty()) << what;
            } else if (std::string(mode) == "--silent") {
                EXPECT_EQ(status, 0) << what;
                EXPECT_TRUE(scriptEnds(t)) << what;
                EXPECT_TRUE(simtree::present(false, t.addonPaths())) << what;
            } else {
                EXPECT_EQ(status, 0) << what;
                EXPECT_EQ(out.rfind(t.sim + "/Tarnavel\n", 0), 0u) << what;
            }
            EXPECT_TRUE(simtree::present(true, t.keptPaths())) << what;
        }
    }
}

TEST(Program, SilentSaysWhatWasLeftAndFails) {
    struct Case {
        std::string name;
        std::function<void(const SimTree&)> arrange;
        std::string kept; // must survive, relative to the base folder
    } cases[] = {
        {"the add-on's folder is a link",
         [](const SimTree& t) { t.linkOut("sim/Tarnavel", "addon"); },
         "outside/addon/bin/FleetScout.txt"},
        {"the gauge is a folder",
         [](const SimTree& t) { t.asFolder("sim/Gauges/Tarnavel2004.gau"); },
         "sim/Gauges/Tarnavel2004.gau/x"},
    };
    for (const Case& c : cases) {
        SimTree t;
        c.arrange(t);
        std::string out;
        EXPECT_EQ(run(t, t.program, "--silent", &out), 1) << c.name;
        EXPECT_EQ(out,
                  "Removing Tarnavel.. wait\nUninstall finished, some files were left in place\n")
            << c.name;
        EXPECT_TRUE(scriptEnds(t));
        EXPECT_TRUE(exists(t.base + "/" + c.kept)) << c.name;
        EXPECT_TRUE(simtree::present(true, t.keptPaths())) << c.name;
    }
}

// The walk, and then the script at once, give up on a folder holding mounts, entering neither.
TEST(Program, NeverEntersAMount) {
    SimTree t;
    t.make("sim/Tarnavel/.cache/x"); // kept by the walk: the script's to take
    simtree::Mount ram("tmpfs", t.sim + "/Tarnavel/Sound/ram");
    simtree::Mount bound(t.outside + "/folder", t.sim + "/Tarnavel/bound");
    if (!ram.ok() || !bound.ok())
        GTEST_SKIP() << simtree::kCannotMount;
    testsupport::writeFile(t.sim + "/Tarnavel/Sound/ram/canary", "x");
    std::string out;
    EXPECT_EQ(run(t, t.program, "--silent", &out), 1) << out;
    auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(scriptEnds(t));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_TRUE(exists(t.sim + "/Tarnavel/Sound/ram/canary"));
    EXPECT_TRUE(exists(t.outside + "/folder/inside.txt"));
    EXPECT_TRUE(exists(t.sim + "/Tarnavel/.cache/x"));
    EXPECT_FALSE(exists(t.program)); // the script took the program
    EXPECT_FALSE(exists(t.sim + "/Tarnavel/bin"));
    EXPECT_TRUE(simtree::present(true, t.keptPaths()));
}

TEST(Program, FindsTheSimulatorsFoldersLetterCaseAsideAndBehindLinks) {
    for (bool linked : {false, true}) {
        SimTree t;
        for (const char* folder : {"Flights", "Gauges", "Modules"})
            fs::remove_all(t.sim + "/" + folder);
        std::vector<std::string> gone, kept, still; // still: the tree's kept paths left
        for (const std::string& p : t.keptPaths())
            if (exists(p))
                still.push_back(p);
        if (linked) { // the simulator keeps those folders elsewhere
            for (const char* folder : {"Flights", "Gauges", "Modules"})
                fs::create_directory_symlink(t.make(std::string("store/") + folder + "/"),
                                             t.sim + "/" + folder);
            gone = {t.make("store/Flights/Tarnavel/leg.flt"),
                    t.make("store/Gauges/Tarnavel2004.gau"), t.make("store/Modules/Tarnavel.dll")};
            kept = {t.make("store/Flights/Other/keep.flt"), t.make("store/Gauges/Other.gau")};
        } else { // a Wine tree
            gone = {t.make("sim/flights/TARNAVEL/leg.flt"), t.make("sim/GAUGES/tarnavel2004.GAU"),
                    t.make("sim/Modules/TARNAVEL.DLL")};
            kept = {t.make("sim/flights/Other/keep.flt"), t.make("sim/GAUGES/Other.gau"),
                    t.make("sim/Modules/Tarnavel.dll.bak")};
        }
        std::string out;
        EXPECT_EQ(run(t, t.program, "--silent", &out), 0) << out;
        EXPECT_TRUE(scriptEnds(t));
        EXPECT_TRUE(simtree::present(false, gone));
        EXPECT_FALSE(exists(fs::path(gone[0]).parent_path().string()));
        EXPECT_TRUE(simtree::present(true, kept));
        EXPECT_TRUE(simtree::present(true, still));
    }
}

TEST(Program, DryRunQuotesAPathHoldingALineFeed) {
    SimTree t;
    std::string sim = t.base + "/two\nlines";
    t.make("two\nlines/Aircraft/");
    std::string program = copyProgram(sim + "/Tarnavel/UninstallTarnavel");
    std::string out;
    ASSERT_EQ(run(t, program, "--dry-run", &out), 0) << out;
    std::string quoted = "'" + t.base + "/two'$'\\n''lines";
    EXPECT_EQ(out, quoted + "/Tarnavel'\n" + quoted + "/Flights/Tarnavel'\n" + quoted +
                       "/Gauges/Tarnavel2004.gau'\n" + quoted + "/Modules/Tarnavel.dll'\n" +
                       t.menuLines(sim) + t.tmp + "/_uninsep.XXXXXX.sh\n" + quoted +
                       "/Tarnavel/UninstallTarnavel'\n" + quoted + "/Tarnavel'\n");
    EXPECT_TRUE(exists(program));
}

TEST(Program, DryRunAndCommandLineMistakesTouchNothing) {
    SimTree t;
    std::string expected;
    for (const std::string& p :
         {t.sim + "/Tarnavel", t.sim + "/Flights/Tarnavel", t.sim + "/Gauges/Tarnavel2004.gau",
          t.sim + "/Modules/Tarnavel.dll"})
        expected += p + "\n";
    expected += t.menuLines(t.sim);
    for (const std::string& p : {t.apps + "/Tarnavel/Tools", t.apps + "/Tarnavel",
                                 t.tmp + "/_uninsep.XXXXXX.sh", t.program, t.sim + "/Tarnavel"})
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
    EXPECT_TRUE(simtree::present(true, t.addonPaths()));
    EXPECT_TRUE(simtree::scriptsIn(t.tmp).empty());
}
