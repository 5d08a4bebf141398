#include "finder/finder.h"
#include "tests/finder/fake_home.h"

#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>

using fakehome::folders;
using fakehome::Home;
namespace fs = std::filesystem;

namespace {

std::string vdf(const std::vector<std::string>& libraries) {
    std::string text = "\"libraryfolders\"\n{\n";
    for (std::size_t i = 0; i < libraries.size(); ++i)
        text += "\t\"" + std::to_string(i) + "\"\n\t{\n\t\t\"path\"\t\t\"" + libraries[i] +
                "\"\n\t\t\"apps\"\n\t\t{\n\t\t\t\"2400\"\t\t\"1\"\n\t\t}\n\t}\n";
    return text + "}\n";
}

} // namespace

// One home with every kind of prefix, simulators at several depths and letter cases, and the
// traps a real disk holds: the finder lists each simulator once and nothing else.
TEST(Finder, EverySimulatorOfEveryFrontEndAndNothingElse) {
    Home h;
    std::string wine = h.prefix(".wine");
    std::string steam = ".local/share/Steam/steamapps";
    h.prefix(steam + "/compatdata/2400/pfx");
    fs::create_directories(h.at(".steam"));
    fs::create_directory_symlink(h.at(".local/share/Steam"), h.at(".steam/steam"));
    std::string flatpak = ".var/app/com.valvesoftware.Steam/.local/share/Steam";
    std::string snap = "snap/steam/common/.local/share/Steam";
    h.file(steam + "/libraryfolders.vdf",
           vdf({h.at(".local/share/Steam"), h.at("disks/games/SteamLibrary")}));
    h.file(flatpak + "/steamapps/libraryfolders.vdf",
           vdf({h.at(flatpak), h.at("disks/flat/SteamLibrary")}));
    h.prefix(flatpak + "/steamapps/compatdata/7/pfx");
    h.prefix("disks/flat/SteamLibrary/steamapps/compatdata/8/pfx");
    h.prefix(snap + "/steamapps/compatdata/9/pfx");
    h.prefix("disks/games/SteamLibrary/steamapps/compatdata/2400/pfx");
    h.prefix(".local/share/wineprefixes/sim2004");
    h.prefix(".local/share/bottles/bottles/Sims");
    h.prefix(".var/app/com.usebottles.bottles/data/bottles/bottles/Flat");
    h.prefix("elsewhere/lutris-sim");
    h.file(".config/lutris/games/my-sim-123.yml",
           "game:\n  exe: x.exe\n  prefix: '~/elsewhere/lutris-sim'\nwine:\n  version: w\n");
    h.prefix("Games/other-game");
    h.prefix(".PlayOnLinux/wineprefix/MySim");
    h.prefix(".cxoffice/Sim Bottle");

    struct Row {
        std::string folder;
        bool found, addon = false;
    } rows[] = {
        {h.sim(".wine/drive_c/MySim", true), true, true},
        {h.sim(".wine/drive_c/Program Files/Games/Deep/Er/Sim5"), true}, // depth 5
        {h.sim(".wine/drive_c/a/b/c/d/e/Six"), false},                   // depth 6
        {h.sim(steam + "/compatdata/2400/pfx/drive_c/Sim", false,
               {"AIRCRAFT", "flights", "GAUGES", "modules"}),
         true},
        {h.sim("disks/games/SteamLibrary/steamapps/compatdata/2400/pfx/drive_c/Lib2"), true},
        {h.sim(flatpak + "/steamapps/compatdata/7/pfx/drive_c/Flat"), true},
        {h.sim("disks/flat/SteamLibrary/steamapps/compatdata/8/pfx/drive_c/FlatLib"), true},
        {h.sim(snap + "/steamapps/compatdata/9/pfx/drive_c/Snap", true), true, true},
        {h.sim(".local/share/wineprefixes/sim2004/drive_c/S"), true},
        {h.sim(".local/share/bottles/bottles/Sims/drive_c/B"), true},
        {h.sim(".var/app/com.usebottles.bottles/data/bottles/bottles/Flat/drive_c/FB"), true},
        {h.sim("elsewhere/lutris-sim/drive_c/L"), true},
        {h.sim("Games/other-game/drive_c/G"), true},
        {h.sim(".PlayOnLinux/wineprefix/MySim/drive_c/P"), true},
        {h.sim(".cxoffice/Sim Bottle/drive_c/X"), true},
        // Not simulators, or not to be reached.
        {h.sim(".wine/drive_c/ThreeOfFour", false, {"Aircraft", "Flights", "Gauges"}), false},
        {h.sim("Documents/NotInAPrefix"), false},
        {h.sim("outside/LinkedOut"), false},
        {h.sim("disks/nolib/steamapps/compatdata/1/pfx/drive_c/NoLib"), false},
        {h.sim(".wine/drive_c/Locked/Sim"), false}, // a folder that cannot be read
    };
    // Traps: links out of the prefix and a loop, a FIFO, a folder that cannot be read.
    fs::create_directory_symlink("/", wine + "/drive_c/root");
    fs::create_directory_symlink(h.at("outside"), wine + "/drive_c/out");
    fs::create_directory_symlink(wine + "/drive_c", wine + "/drive_c/loop");
    ASSERT_EQ(::mkfifo((wine + "/drive_c/fifo").c_str(), 0600), 0);
    h.prefix("disks/nolib/steamapps/compatdata/1/pfx");

    finder::Options options = h.options();
    options.refuseFolder = [&](const std::string& f) { return f == h.at(".wine/drive_c/Locked"); };
    ASSERT_TRUE(testsupport::endsInTime([&] { finder::FindSimulators(options); }));
    finder::FindResult r = finder::FindSimulators(options);
    EXPECT_FALSE(r.timedOut);
    EXPECT_TRUE(h.warnings.empty());
    std::set<std::string> got = folders(r);
    EXPECT_EQ(got.size(), r.simulators.size()) << "each once";
    for (const Row& row : rows) {
        EXPECT_EQ(got.count(row.folder), row.found ? 1u : 0u) << row.folder;
        for (const finder::Simulator& s : r.simulators)
            EXPECT_TRUE(s.folder != row.folder || s.hasAddon == row.addon) << row.folder;
    }
    EXPECT_EQ(got.size(), 14u);
}

// The registry names folders anywhere, deeper than the walk goes or outside the prefix; each is
// examined alone, through the prefix's dosdevices, letter case aside.
TEST(Finder, FoldersTheRegistryNames) {
    Home h;
    std::string wine = h.prefix(".wine");
    std::string deep = h.sim(".wine/drive_c/Program Files/Vendor/A/B/C/D/Deep Sim");
    std::string out = h.sim("outside/Out Sim", true);
    std::string file = h.sim(".wine/drive_c/x/y/z/w/v/u/ByProgram");
    testsupport::writeFile(file + "/sim.exe", "MZ");
    std::string fifo = h.at("outside/fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    h.file(".wine/system.reg",
           "WINE REGISTRY Version 2\n\n[Software\\\\Vendor\\\\Sim] 1700000000\n"
           "\"InstallPath\"=\"C:\\\\program files\\\\VENDOR\\\\a\\\\b\\\\c\\\\d\\\\deep sim\"\n"
           "\"Exe\"=str(2):\"C:\\\\x\\\\y\\\\z\\\\w\\\\v\\\\u\\\\ByProgram\\\\sim.exe\"\n"
           "\"Fifo\"=\"Z:" +
               fifo + "\"\n\"Ver\"=dword:00000001\n");
    h.file(".wine/user.reg", "[Software\\\\Other]\n@=\"Z:" + out + "\\\\\"\n");
    finder::Options options = h.options();
    ASSERT_TRUE(testsupport::endsInTime([&] { finder::FindSimulators(options); }));
    EXPECT_EQ(folders(finder::FindSimulators(options)), (std::set<std::string>{deep, out, file}));
}

// At its deadline the search ends with what it found and says so once; within it, ten thousand
// folders of a drive_c take far less.
TEST(Finder, EndsAtItsDeadline) {
    Home h;
    h.prefix(".wine");
    std::string first = h.sim(".wine/drive_c/First");
    for (int i = 0; i < 100; ++i)
        for (int j = 0; j < 100; ++j)
            h.mkdir(".wine/drive_c/many" + std::to_string(i) + "/f" + std::to_string(j));
    std::string last = h.sim(".wine/drive_c/many99/f99/Last");

    finder::Options options = h.options();
    auto start = std::chrono::steady_clock::now();
    finder::FindResult r = finder::FindSimulators(options);
    EXPECT_LT(std::chrono::steady_clock::now() - start, options.deadline);
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(folders(r), (std::set<std::string>{first, last}));

    // A clock that moves a second at each look.
    auto now = std::chrono::steady_clock::time_point{};
    options.clock = [&now] { return now += std::chrono::seconds(1); };
    r = finder::FindSimulators(options);
    EXPECT_TRUE(r.timedOut);
    EXPECT_EQ(h.warnings.size(), 1u);
    EXPECT_LT(r.simulators.size(), 2u);
}

// The registered folders come first, count with an Aircraft folder alone, and each simulator is
// listed once whatever way it was reached.
TEST(Finder, CandidatesRegisteredFirstEachOnce) {
    Home h;
    h.prefix(".wine");
    std::string found = h.sim(".wine/drive_c/Found", true);
    std::string mine = h.sim("Sims/Mine", true, {"Aircraft"});
    fs::create_directory_symlink(found, h.at("Sims/link"));
    finder::Options options = h.options();
    std::string error;
    for (const std::string& folder : {mine, h.at("Sims/link"), found, mine + "/"})
        ASSERT_TRUE(finder::AddRegistration(options.env, folder, &error)) << error;
    EXPECT_EQ(finder::ReadRegistration(options.env), (std::vector<std::string>{mine, found}));

    finder::FindResult r = finder::Candidates(options);
    ASSERT_EQ(r.simulators.size(), 2u);
    EXPECT_EQ(r.simulators[0].folder, mine);
    EXPECT_EQ(r.simulators[1].folder, found);
    EXPECT_TRUE(r.simulators[1].hasAddon);

    ASSERT_TRUE(finder::RemoveRegistration(options.env, h.at("Sims/link"), &error));
    EXPECT_EQ(finder::ReadRegistration(options.env), std::vector<std::string>{mine});
    EXPECT_EQ(testsupport::readFile(finder::RegistrationFile(options.env)), mine + "\n");
    fs::remove_all(mine);
    EXPECT_EQ(folders(finder::Candidates(options)), std::set<std::string>{found});
}

TEST(Finder, EnvironmentFollowsTheXdgRules) {
    struct Case {
        std::string home, config, data, wine, want; // want: home, config, data, prefix
    } cases[] = {
        {"/h", "", "", "", "/h|/h/.config|/h/.local/share|"},
        {"/h", "/c", "/d", "/p", "/h|/c|/d|/p"},
        {"/h", "rel", "rel", "rel", "/h|/h/.config|/h/.local/share|"},
        {"", "/c", "", "", "|/c||"},
        {"/", "", "", "", "/|/.config|/.local/share|"},
    };
    for (const Case& c : cases) {
        finder::Environment e = finder::Environment::From(c.home, c.config, c.data, c.wine);
        EXPECT_EQ(e.home + "|" + e.configHome + "|" + e.dataHome + "|" + e.winePrefix, c.want)
            << c.home << " " << c.config << " " << c.data << " " << c.wine;
    }
}

// What a program started outside a simulator may work on: the candidates with the add-on, and
// the kept choice while it is one of them.
TEST(Finder, AddonSimulatorsAndTheKeptChoice) {
    Home h;
    h.prefix(".wine");
    std::string a = h.sim(".wine/drive_c/A", true);
    std::string b = h.sim(".wine/drive_c/B", true);
    h.sim(".wine/drive_c/Plain");
    std::string mine = h.sim("Sims/Mine", true, {"Aircraft"});
    fs::create_directory_symlink(b, h.at("toB"));
    finder::Options options = h.options();
    const std::string choice = finder::ChoiceFile(options.env);
    std::string error;
    ASSERT_TRUE(finder::AddRegistration(options.env, mine, &error)) << error;

    struct Row {
        const char* what;
        std::function<void()> change;
        std::string kept;
    } rows[] = {
        {"nothing kept", [] {}, ""},
        {"kept through a link",
         [&] { ASSERT_TRUE(finder::KeepChoice(options.env, h.at("toB"), &error)) << error; }, b},
        {"a simulator without the add-on",
         [&] { testsupport::writeFile(choice, h.at(".wine/drive_c/Plain")); }, ""},
        {"a relative line", [&] { testsupport::writeFile(choice, "A\n"); }, ""},
        {"kept again", [&] { ASSERT_TRUE(finder::KeepChoice(options.env, a, &error)); }, a},
        {"the add-on gone", [&] { fs::rename(a + "/Tarnavel", a + "/Old"); }, ""},
    };
    for (const Row& row : rows) {
        row.change();
        finder::AddonSimulators found = finder::SimulatorsWithAddon(options);
        ASSERT_GE(found.folders.size(), 2u) << row.what;
        EXPECT_EQ(found.folders.front(), mine) << row.what << ": registered first";
        EXPECT_EQ(found.kept, row.kept) << row.what;
    }
    EXPECT_EQ(testsupport::readFile(choice), a + "\n");
    // Something else in the file's place is read as no choice, without waiting, and never replaced.
    fs::remove(choice);
    ASSERT_EQ(mkfifo(choice.c_str(), 0600), 0);
    EXPECT_TRUE(testsupport::endsInTime([&] {
        EXPECT_EQ(finder::SimulatorsWithAddon(options).kept, "");
        EXPECT_FALSE(finder::KeepChoice(options.env, b, nullptr));
    }));
    EXPECT_TRUE(fs::is_fifo(choice));
    EXPECT_FALSE(finder::KeepChoice(finder::Environment::From("", "", "", ""), a, &error));
    EXPECT_FALSE(error.empty());
}
