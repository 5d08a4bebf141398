// Our code and its peers on the same generated data, one benchmark per side; bench/run pairs
// them into ratios. `tnv_bench --make-data DIR` writes the data first.
#include "browser/aircraft_scan.h"
#include "browser/fleet_table.h"
#include "grid/window/cell_grid.h"
#include "platform/draw/surface.h"
#include "platform/window/wnd_app.h"
#include "tests/support/sim_tree.h"

#include <QHeaderView>
#include <QImage>
#include <QPainter>
#include <QStandardItemModel>
#include <QTableView>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace tnv;
using namespace tnv::fleet;

extern char** environ;

namespace {

std::string g_data;   // the generated data folder
std::string g_binDir; // the programs
constexpr int kTableRows = 2019;

std::string dataPath(const std::string& rel) {
    return g_data + "/" + rel;
}

std::vector<std::string> readLines(const std::string& path) {
    std::vector<std::string> out;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

// ---- aircraft scan --------------------------------------------------------------------------

void BM_ScanOurs(benchmark::State& state) {
    auto table = std::make_unique<AircraftTable>();
    ExcludeKeywords keys;
    if (std::FILE* f = std::fopen(dataPath("sim/Tarnavel/bin/FleetScout.txt").c_str(), "rb")) {
        keys.read(f);
        std::fclose(f);
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(GrabDataFromAircraftCfg(dataPath("sim/Aircraft"), *table, keys));
    state.counters["records"] = table->NbrAircraftCfgFilled;
}

void BM_ScanFloor(benchmark::State& state) {
    std::vector<std::string> files = readLines(dataPath("cfg_files.txt"));
    std::vector<char> buf(1 << 16);
    for (auto _ : state) {
        std::size_t total = 0;
        for (const std::string& f : files) {
            int fd = open(f.c_str(), O_RDONLY);
            for (ssize_t n; (n = read(fd, buf.data(), buf.size())) > 0;)
                total += static_cast<std::size_t>(n);
            close(fd);
        }
        benchmark::DoNotOptimize(total);
    }
}

// A whole process, its output thrown away; returns the CPU seconds it and its children used.
double runProcess(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv) {
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<std::string> envText(extraEnv);
    for (char** e = environ; *e; ++e)
        envText.emplace_back(*e);
    std::vector<char*> envp;
    for (std::string& e : envText)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return 0;
    }
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void BM_ScanGrep(benchmark::State& state) {
    std::vector<std::string> args = {"grep", "-c", "-F", "-i", "-f", dataPath("keywords.txt")};
    for (const std::string& f : readLines(dataPath("cfg_files.txt")))
        args.push_back(f);
    for (auto _ : state)
        state.SetIterationTime(runProcess(args, {"LC_ALL=C"}));
}

// The exclusion test alone, over every folded line of the tree held in memory: the indexed
// matcher the scan uses, and the plain search one keyword after the other.
struct FoldedLines {
    ExcludeKeywords keys;
    std::vector<std::string> lines;
    FoldedLines() {
        if (std::FILE* f = std::fopen(dataPath("sim/Tarnavel/bin/FleetScout.txt").c_str(), "rb")) {
            keys.read(f);
            std::fclose(f);
        }
        for (const std::string& file : readLines(dataPath("cfg_files.txt")))
            for (std::string line : readLines(file)) {
                for (char& c : line)
                    c = static_cast<char>(FoldChar(static_cast<unsigned char>(c)));
                lines.push_back(line + ' ');
            }
    }
};

void BM_KeywordsIndexed(benchmark::State& state) {
    FoldedLines data;
    for (auto _ : state) {
        int hits = 0;
        for (const std::string& line : data.lines)
            hits += data.keys.matches(line) ? 1 : 0;
        benchmark::DoNotOptimize(hits);
    }
}

void BM_KeywordsPlain(benchmark::State& state) {
    FoldedLines data;
    for (auto _ : state) {
        int hits = 0;
        for (const std::string& line : data.lines)
            hits += AnyWordInLine(data.keys.foldedWords(), line) ? 1 : 0;
        benchmark::DoNotOptimize(hits);
    }
}

// ---- the browser's table in a grid and in a QTableView --------------------------------------

FleetState& benchFleet() {
    static FleetState fleet = [] {
        FleetState s;
        simtree::Rng rng(42);
        AircraftTable& t = *s.table;
        const char* names[] = {"Cessna 172 Skyhawk",  "Boeing 737-800",          "Airbus A320",
                               "Piper PA-28 Warrior", "Beechcraft King Air 350", "Embraer E175"};
        for (int i = 0; i < kTableRows; ++i) {
            AircraftRecord& r = t.records[static_cast<std::size_t>(i)];
            std::snprintf(r.title, sizeof r.title, "%s %s %d", names[rng.below(6)],
                          i % 3 ? "Classic" : "Blue Stripe", rng.below(100000));
            std::snprintf(r.folder, sizeof r.folder, "Folder_%04d", i);
            r.engineType = i % 3 == 0 ? kEngineJet : i % 3 == 1 ? kEnginePiston : kEngineTurboprop;
            r.engineCount = 1 + rng.below(4);
            r.emptyWeightLbs = 800 + rng.below(200000);
        }
        t.NbrAircraftCfgFilled = kTableRows;
        return s;
    }();
    return fleet;
}

struct GridSetup {
    CWnd owner;
    CCellGrid grid;
    GridSetup() {
        owner.CreateTopLevel("bench", 0, Rect{0, 0, 1650, 1050});
        grid.CreateGrid(Rect{0, 0, 1600, 1000}, &owner, 100, WS_CHILD | WS_VISIBLE);
        FillAircraftGrid(grid, benchFleet());
    }
};

// The same texts, column widths and row heights in a QStandardItemModel; the price and weight
// columns sort by their numbers.
struct TableSetup {
    QStandardItemModel model;
    QTableView view;
    explicit TableSetup(CCellGrid& grid) {
        int rows = grid.GetNumRows() - 1;
        model.setRowCount(rows);
        model.setColumnCount(kFleetColumns);
        model.setSortRole(Qt::UserRole);
        for (int c = 0; c < kFleetColumns; ++c)
            model.setHorizontalHeaderItem(
                c, new QStandardItem(QString::fromLatin1(grid.GetCellText(0, c).c_str())));
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < kFleetColumns; ++c) {
                auto* item =
                    new QStandardItem(QString::fromLatin1(grid.GetCellText(r + 1, c).c_str()));
                if (c == kFleetColWeight || c == kFleetColPrice)
                    item->setData(QVariant::fromValue<qlonglong>(grid.GetCellData(r + 1, c)),
                                  Qt::UserRole);
                else
                    item->setData(item->text(), Qt::UserRole);
                model.setItem(r, c, item);
            }
        view.setModel(&model);
        view.verticalHeader()->hide();
        view.verticalHeader()->setDefaultSectionSize(grid.GetRowSize(1));
        view.horizontalHeader()->setFixedHeight(grid.GetRowSize(0));
        for (int c = 0; c < kFleetColumns; ++c)
            view.setColumnWidth(c, grid.GetColSize(c));
        view.resize(1600, 1000);
    }
};

void BM_PaintOurs(benchmark::State& state) {
    GridSetup s;
    ImageSurface image(1600, 1000);
    for (auto _ : state)
        s.grid.PaintGrid(image);
}

void BM_PaintQTableView(benchmark::State& state) {
    GridSetup s;
    TableSetup t(s.grid);
    QImage image(1600, 1000, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter p(&image);
        t.view.render(&p);
    }
}

// Each iteration sorts up, then down, so that no run starts from its own order.
void BM_SortTextOurs(benchmark::State& state) {
    GridSetup s;
    for (auto _ : state) {
        s.grid.SortRowsByText(kFleetColName, TRUE);
        s.grid.SortRowsByText(kFleetColName, FALSE);
    }
}

void BM_SortTextQt(benchmark::State& state) {
    GridSetup s;
    TableSetup t(s.grid);
    for (auto _ : state) {
        t.model.sort(kFleetColName, Qt::AscendingOrder);
        t.model.sort(kFleetColName, Qt::DescendingOrder);
    }
}

void BM_SortDataOurs(benchmark::State& state) {
    GridSetup s;
    for (auto _ : state) {
        s.grid.SortRowsByData(CompareDataWords, kFleetColPrice, TRUE, 0);
        s.grid.SortRowsByData(CompareDataWords, kFleetColPrice, FALSE, 0);
    }
}

void BM_SortDataQt(benchmark::State& state) {
    GridSetup s;
    TableSetup t(s.grid);
    for (auto _ : state) {
        t.model.sort(kFleetColPrice, Qt::AscendingOrder);
        t.model.sort(kFleetColPrice, Qt::DescendingOrder);
    }
}

// ---- whole programs -------------------------------------------------------------------------

void startup(benchmark::State& state, const char* base) {
    std::string shot = dataPath(std::string(base) + ".png");
    std::string peakFile = dataPath(std::string(base) + ".peak");
    for (auto _ : state)
        state.SetIterationTime(
            runProcess({g_binDir + "/tnv_peak_rss", peakFile, g_binDir + "/FleetValuer", "--base",
                        dataPath(base), "--screenshot", shot},
                       {"QT_QPA_PLATFORM=offscreen"}));
    long rss = -1;
    if (std::FILE* f = std::fopen(peakFile.c_str(), "r")) {
        if (std::fscanf(f, "%ld", &rss) != 1)
            rss = -1;
        std::fclose(f);
    }
    state.counters["rss_kb"] = static_cast<double>(rss);
}

void BM_StartupFull(benchmark::State& state) {
    startup(state, "sim/Tarnavel");
}
void BM_StartupEmpty(benchmark::State& state) {
    startup(state, "empty/Tarnavel");
}

void BM_ReportOurs(benchmark::State& state) {
    for (auto _ : state)
        state.SetIterationTime(
            runProcess({g_binDir + "/TnvCueLine", "--report", dataPath("pack")}, {}));
}

void BM_ReportCat(benchmark::State& state) {
    std::string cmd = "cat '" + dataPath("pack/CueLine.clt") + "'; ls '" + dataPath("pack") + "'";
    for (auto _ : state)
        state.SetIterationTime(runProcess({"sh", "-c", cmd}, {}));
}

// ---- the data -------------------------------------------------------------------------------

std::string waveFile(simtree::Rng& rng) {
    std::vector<std::int16_t> samples(static_cast<std::size_t>(4000 + rng.below(8000)));
    for (std::int16_t& sample : samples)
        sample = static_cast<std::int16_t>(rng.below(2000));
    return simtree::PcmWav(samples);
}

int makeData(const std::string& dir) {
    namespace fs = std::filesystem;
    fs::create_directories(dir);
    simtree::TreeInfo tree = simtree::WriteTree(dir + "/sim/Aircraft", kMaxFolders, 97, 1);
    fs::create_directories(dir + "/sim/Tarnavel/bin");
    std::ofstream(dir + "/sim/Tarnavel/bin/FleetScout.txt") << simtree::KeywordFile(kMaxKeywords);
    {
        // grep is given the words alone, one a line: handed the list as the add-on keeps it,
        // it would take its comment lines and its empty line for patterns too, and the empty
        // pattern matches every line without any search.
        ExcludeKeywords keys;
        if (std::FILE* f = std::fopen((dir + "/sim/Tarnavel/bin/FleetScout.txt").c_str(), "rb")) {
            keys.read(f);
            std::fclose(f);
        }
        std::ofstream words(dir + "/keywords.txt");
        for (const std::string& w : keys.words())
            words << w << '\n';
    }
    std::ofstream list(dir + "/cfg_files.txt");
    for (const std::string& f : tree.folders)
        list << f << "/aircraft.cfg\n";
    fs::create_directories(dir + "/empty/Tarnavel/bin");
    fs::create_directories(dir + "/empty/Aircraft");
    std::ofstream(dir + "/empty/Tarnavel/bin/FleetScout.txt") << simtree::KeywordFile(kMaxKeywords);
    fs::create_directories(dir + "/pack");
    simtree::Rng rng(5);
    std::ofstream clt(dir + "/pack/CueLine.clt", std::ios::binary);
    for (int i = 0; i < 200; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "cue_%03d.wav", i);
        clt << name << ";Crew call " << i << ": flaps " << (i % 4) * 10
            << ", gear down, cleared to land runway " << (1 + i % 36) << "\r\n";
        std::ofstream(dir + "/pack/" + name, std::ios::binary) << waveFile(rng);
    }
    std::printf("data: %zu aircraft folders (%d AI models), a pack of 200 sounds in %s\n",
                tree.folders.size(), tree.aiFolders, dir.c_str());
    return 0;
}

} // namespace

BENCHMARK(BM_ScanOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanFloor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScanGrep)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_KeywordsIndexed)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KeywordsPlain)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintQTableView)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortTextOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortTextQt)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortDataOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortDataQt)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartupFull)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_StartupEmpty)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_ReportOurs)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_ReportCat)->Unit(benchmark::kMillisecond)->UseManualTime();

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--make-data") == 0)
        return makeData(argv[2]);
    const char* data = std::getenv("TNV_BENCH_DATA");
    if (!data) {
        std::fprintf(stderr, "tnv_bench: set TNV_BENCH_DATA to a folder made by --make-data\n");
        return 2;
    }
    g_data = data;
    g_binDir = std::filesystem::path(argv[0]).parent_path().string();
    if (const char* bin = std::getenv("TNV_BIN_DIR"))
        g_binDir = bin;
    WndApp app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
