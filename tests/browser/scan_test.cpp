#include "browser/aircraft_scan.h"
#include "browser/config.h"
#include "tests/robustness/plain_scan.h"
#include "tests/support/sim_folder.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <memory>

using testsupport::writeFile;

namespace {

constexpr auto none = std::string_view::npos;

std::string cfg(const std::string& title, int weight, int engineType, int engines) {
    std::string s = "[fltsim.0]\ntitle=" + title +
                    "\nsim=x\n\n[GeneralEngineData]\nengine_type=" + std::to_string(engineType) +
                    "\n";
    for (int i = 0; i < engines; ++i)
        s += "Engine." + std::to_string(i) + " = -1.0, 0, 0\n";
    s += "\n[WEIGHT_AND_BALANCE]\nempty_weight=" + std::to_string(weight) + "\n";
    return s;
}

using plainscan::Keywords;

// Reads one aircraft.cfg text into a fresh table holding `filled` records; returns the table.
std::unique_ptr<AircraftTable> readCfg(const std::string& text, const ExcludeKeywords& keys = {},
                                       bool allVariations = false, int filled = 0) {
    auto table = std::make_unique<AircraftTable>();
    table->showAllVariations = allVariations;
    table->NbrAircraftCfgFilled = filled;
    std::string copy = text.empty() ? std::string("\n") : text;
    std::FILE* f = fmemopen(copy.data(), copy.size(), "rb");
    ReadAircraftCfgFrom(f, "folder", *table, keys);
    std::fclose(f);
    return table;
}

// A simulator folder with an add-on folder and an Aircraft folder.
struct Sim : testsupport::SimFolder {
    BrowserConfig config;
    Sim() { config.SetBaseFolder(base); }
};

} // namespace

TEST(FindNoCase, FoldsLetterCaseAndControlCharacters) {
    struct Case {
        const char *line, *word;
        std::size_t pos;
    } cases[] = {{"title=Cessna", "TITLE", 0},
                 {"ui_TiTle=x", "title", 3},
                 {"abc", "", 0}, // the empty word is everywhere
                 {"", "", 0},
                 {"", "a", none},     // an empty line holds no word
                 {"ab", "abc", none}, // longer than the line
                 {"empty_weight\t= 5", "empty_weight ", 0},
                 {"x\n", "x ", 0},   // a line end compares as a blank
                 {"aXaxa", "XA", 1}, // leftmost
                 {"\x7f", " ", 0},
                 {"[x]", "{x}", none},         // brackets are not folded onto braces
                 {"CAF\xC9", "caf\xE9", none}, // bytes above 127 compare as they are
                 {"caf\xE9", "CAF\xE9", 0}};
    for (const Case& c : cases)
        EXPECT_EQ(FindNoCase(c.line, c.word), c.pos) << c.line << " / " << c.word;
}

TEST(ExcludeKeywords, ListFormat) {
    ExcludeKeywords k = Keywords("/ comment;\n comment;\nAI ;\nno semicolon\nTraffic;x;y\n"
                                 "Boeing\r\n;\n");
    EXPECT_EQ(k.words(), (std::vector<std::string>{"AI ", "Traffic", ""}));

    ExcludeKeywords ai = Keywords("AI ;\n");
    EXPECT_TRUE(ai.matches("title=AI Traffic 737\n"));
    EXPECT_TRUE(ai.matches("title=ai traffic\n"));
    EXPECT_TRUE(ai.matches("ui_variation=AI\n")); // the line end is a blank too
    EXPECT_FALSE(ai.matches("title=AIRBUS A320\n"));

    std::string text;
    for (int i = 0; i < 250; ++i)
        text += "word" + std::to_string(i) + ";\n";
    EXPECT_EQ(Keywords(text).words().size(), 200u);
    EXPECT_FALSE(ExcludeKeywords().matches("anything"));
}

TEST(ExcludeKeywords, LoadedFromTheBinFolder) {
    Sim sim;
    writeFile(sim.dir.mkdir("Sim/Tarnavel/Bin") + "/fleetscout.TXT", "AI ;\n");
    ExcludeKeywords k;
    k.LoadExcludeKeywords(sim.config);
    EXPECT_EQ(k.words(), std::vector<std::string>{"AI "});
    BrowserConfig elsewhere;
    elsewhere.SetBaseFolder(sim.dir.file("nowhere"));
    k.LoadExcludeKeywords(elsewhere);
    EXPECT_TRUE(k.words().empty());
}

TEST(AircraftCfg, ReadsEachCase) {
    const std::string rest = "Engine.0=1\nempty_weight=1500\n";
    struct Case {
        const char* what;
        std::string text;
        const char* title = nullptr; // of the one record; none: the folder is left out
        std::int32_t weight = 1500, type = 0, engines = 1;
        const char* keywords = nullptr; // the list's text
    } cases[] = {
        {"plain piston", cfg("Cessna 172", 1500, 0, 1), "Cessna 172"},
        {"twin jet", cfg("Jet", 70000, 1, 2), "Jet", 70000, 1, 2},
        {"turboprop", cfg("King Air", 9000, 5, 2), "King Air", 9000, 5, 2},
        {"engine type 2 is left out", cfg("Bell", 3000, 2, 1)},
        {"engine type 3 is left out", cfg("Heli", 3000, 3, 1)},
        {"weight 10 is left out", cfg("Kite", 10, 0, 1)},
        {"weight 11 is kept", cfg("Kite", 11, 0, 1), "Kite", 11},
        {"negative weight", cfg("Kite", -500, 0, 1)},
        {"no engine line", cfg("Glider", 600, 0, 0)},
        {"no title", "engine_type=0\n" + rest},
        {"longer weight key does not count",
         "title=A\nEngine.0=1\nempty_weight = 1500\nempty_weight_pitch_MOI = 3000\n", "A"},
        {"weight key in capitals, last wins",
         "title=A\nEngine.0=1\nempty_weight=900\nEMPTY_WEIGHT=1200\n", "A", 1200},
        {"weight key with a tab", "title=A\nEngine.0=1\nempty_weight\t=\t1300\n", "A", 1300},
        {"weight line without =", "title=A\nEngine.0=1\nempty_weight=1300\nempty_weight 5\n", "A",
         1300},
        {"commented and lettered engine lines",
         "title=A\nempty_weight=1500\n//Engine.0=1\n /Engine.1=1\nEngine.x=1\nengine.2=1\n"
         "Engine.3 1\n",
         "A"},
        {"title blanks and first letter", "title=   cessna skyhawk\n" + rest, "Cessna skyhawk"},
        {"title key in capitals, Windows line ends",
         "TITLE= piper cub\r\nEngine.0=1\r\nempty_weight=1500\r\n", "Piper cub"},
        {"title line without = is no title", "title\ntitle=B\n" + rest, "B"},
        {"title of a foreign letter stays", "title=\xE9t\xE9\n" + rest, "\xE9t\xE9"},
        {"title at the end without line end", "Engine.0=1\nempty_weight=1500\ntitle=Last", "Last"},
        {"zero byte ends the line", std::string("title=Z\0ero\n", 12) + rest, "Z"},
        // Keywords, the empty one too, and one after an otherwise complete file.
        {"keyword", cfg("AI Traffic Boeing 737", 70000, 1, 2), nullptr, 0, 0, 0, "AI ;\n"},
        {"keyword elsewhere", cfg("Airbus", 70000, 1, 2), "Airbus", 70000, 1, 2, "AI ;\n"},
        {"empty keyword", cfg("AI Traffic Boeing 737", 70000, 1, 2), nullptr, 0, 0, 0, ";\n"},
        {"keyword at the end", cfg("Cub", 900, 0, 1) + "atc_parking_codes=traffic\n", nullptr, 0, 0,
         0, "Traffic;\n"}};
    for (const Case& k : cases) {
        auto table = readCfg(k.text, k.keywords ? Keywords(k.keywords) : ExcludeKeywords());
        EXPECT_EQ(table->NbrAircraftCfgFilled, k.title ? 1 : 0) << k.what;
        if (table->NbrAircraftCfgFilled != 1 || !k.title)
            continue;
        const AircraftRecord& r = (*table)[0];
        EXPECT_EQ(r.emptyWeightLbs, k.weight) << k.what;
        EXPECT_EQ(r.engineType, k.type) << k.what;
        EXPECT_EQ(r.engineCount, k.engines) << k.what;
        EXPECT_STREQ(r.title, k.title) << k.what;
        EXPECT_STREQ(r.folder, "folder");
    }
}

TEST(AircraftCfg, LongLinesArriveInPieces) {
    // A 266-character title line: the title is its first 253 characters less "title="; the rest
    // of the line is read as a line of its own, here a second title.
    std::string line = "title=" + std::string(247, 'x') + "title=second\n";
    auto table = readCfg(line + "Engine.0=1\nempty_weight=1500\n", {}, true);
    ASSERT_EQ(table->NbrAircraftCfgFilled, 2);
    EXPECT_EQ(std::string((*table)[0].title), "X" + std::string(246, 'x'));
    EXPECT_STREQ((*table)[1].title, "Second");
}

TEST(AircraftCfg, Variations) {
    std::string text;
    for (int i = 0; i < 25; ++i)
        text += "[fltsim." + std::to_string(i) + "]\ntitle=livery " + std::to_string(i) + "\n";
    text += "[GeneralEngineData]\nengine_type=5\nEngine.0=1\nEngine.1=1\nempty_weight=9000\n";
    auto one = readCfg(text);
    ASSERT_EQ(one->NbrAircraftCfgFilled, 1);
    EXPECT_STREQ((*one)[0].title, "Livery 0");
    auto all = readCfg(text, {}, true);
    ASSERT_EQ(all->NbrAircraftCfgFilled, 20);
    EXPECT_STREQ((*all)[19].title, "Livery 19");
    EXPECT_EQ((*all)[19].engineCount, 2);
    // With 20 titles held, a later line holding "title" is tested as a weight line.
    auto late = readCfg(text + "title_weight empty_weight=5000\n", {}, true);
    EXPECT_EQ((*late)[0].emptyWeightLbs, 5000);
}

TEST(AircraftCfg, RecordLimit) {
    std::string text;
    for (int i = 0; i < 20; ++i)
        text += "title=v" + std::to_string(i) + "\n";
    text += "Engine.0=1\nempty_weight=1500\n";
    EXPECT_EQ(readCfg(text, {}, true, 1999)->NbrAircraftCfgFilled, 2019);
    EXPECT_EQ(readCfg(text, {}, true, 2000)->NbrAircraftCfgFilled, 2000);
}

TEST(AircraftScan, WalksTheAircraftFolder) {
    Sim sim;
    EXPECT_EQ(AircraftFolder(sim.config), sim.dir.file("Sim/Aircraft"));
    auto table = std::make_unique<AircraftTable>();
    EXPECT_EQ(GrabDataFromAircraftCfg(AircraftFolder(sim.config), *table, {}), 0); // no folder

    sim.aircraft("b_twin", cfg("Baron", 3500, 0, 2));
    writeFile(sim.dir.mkdir("Sim/Aircraft/A_cub") + "/Aircraft.CFG", cfg("Cub", 900, 0, 1));
    sim.aircraft("c_glider", cfg("Glider", 600, 0, 0));
    sim.aircraft("d_empty", "");
    sim.dir.mkdir("Sim/Aircraft/e_nocfg");
    sim.aircraft("caf\xC3\xA9", cfg("Caf", 1200, 0, 1)); // UTF-8 on disk
    writeFile(sim.dir.file("Sim/Aircraft/aircraft.cfg"), cfg("Loose file", 1500, 0, 1));
    table->NbrAircraftCfgFilled = 77;
    int n = GrabDataFromAircraftCfg(AircraftFolder(sim.config), *table, {});
    ASSERT_EQ(n, 3);
    EXPECT_STREQ((*table)[0].folder, "A_cub");
    EXPECT_STREQ((*table)[1].folder, "b_twin");
    EXPECT_STREQ((*table)[2].folder, "caf\xE9"); // in the code page, as the table holds names

    // The Aircraft folder whatever its letter case.
    Sim upper;
    upper.aircraft("x", cfg("X", 1500, 0, 1));
    std::rename(upper.dir.file("Sim/Aircraft").c_str(), upper.dir.file("Sim/AIRCRAFT").c_str());
    EXPECT_EQ(GrabDataFromAircraftCfg(AircraftFolder(upper.config), *table, {}), 1);

    // One folder read on its own.
    table->NbrAircraftCfgFilled = 0;
    ReadAircraftCfg(AircraftFolder(sim.config), "b_twin", *table, {});
    EXPECT_EQ(table->NbrAircraftCfgFilled, 1);
}

TEST(AircraftScan, TakesAtMost2040Folders) {
    Sim sim;
    char name[16];
    for (int i = 0; i <= kMaxFolders; ++i) {
        std::snprintf(name, sizeof name, "f%04d", i);
        sim.dir.mkdir("Sim/Aircraft/" + std::string(name));
    }
    sim.aircraft("f2039", cfg("Last kept", 1500, 0, 1));
    sim.aircraft("f2040", cfg("Beyond", 1500, 0, 1));
    auto table = std::make_unique<AircraftTable>();
    ASSERT_EQ(GrabDataFromAircraftCfg(AircraftFolder(sim.config), *table, {}), 1);
    EXPECT_STREQ((*table)[0].title, "Last kept");

    // An observer hears of every folder, the one past the limit too.
    struct Outcomes : ScanObserver {
        std::vector<std::pair<std::string, FolderOutcome>> seen;
        void Folder(std::string_view name, const FolderReport& report) override {
            seen.emplace_back(name, report.outcome);
        }
    } outcomes;
    ASSERT_EQ(GrabDataFromAircraftCfg(AircraftFolder(sim.config), *table, {}, &outcomes), 1);
    ASSERT_EQ(outcomes.seen.size(), static_cast<std::size_t>(kMaxFolders) + 1);
    EXPECT_EQ(outcomes.seen[0], std::make_pair(std::string("f0000"), FolderOutcome::NoCfg));
    EXPECT_EQ(outcomes.seen[2039], std::make_pair(std::string("f2039"), FolderOutcome::Listed));
    EXPECT_EQ(outcomes.seen[2040],
              std::make_pair(std::string("f2040"), FolderOutcome::TooManyFolders));
}
