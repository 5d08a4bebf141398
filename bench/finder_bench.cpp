// The simulator finder on a generated home: 20 prefixes of the usual front ends holding 50,000
// folders with a few simulators among them, against find(1) walking the same drive_c folders as
// deep. `tnv_finder_bench --make-data DIR [FOLDERS]` writes the home first.
#include "finder/finder.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <vector>

using namespace tnv;

extern char** environ;

namespace {

namespace fs = std::filesystem;
std::string g_home;
std::string g_binDir;

// Where the 20 prefixes are, as the front ends keep them.
std::vector<std::string> prefixFolders() {
    std::vector<std::string> out{".wine"};
    for (int i = 0; i < 5; ++i)
        out.push_back(".local/share/Steam/steamapps/compatdata/" + std::to_string(2400 + i) +
                      "/pfx");
    for (int i = 0; i < 4; ++i)
        out.push_back(".local/share/bottles/bottles/Bottle" + std::to_string(i));
    for (int i = 0; i < 4; ++i)
        out.push_back("Games/game-" + std::to_string(i));
    for (int i = 0; i < 3; ++i)
        out.push_back(".PlayOnLinux/wineprefix/P" + std::to_string(i));
    for (int i = 0; i < 3; ++i)
        out.push_back(".cxoffice/Bottle " + std::to_string(i));
    return out;
}

// Folders to a depth of nine below each drive_c, a simulator in every fourth prefix.
int makeData(const std::string& home, int total) {
    std::vector<std::string> prefixes = prefixFolders();
    int perPrefix = total / static_cast<int>(prefixes.size()), simulators = 0;
    for (std::size_t p = 0; p < prefixes.size(); ++p) {
        std::string driveC = home + "/" + prefixes[p] + "/drive_c";
        fs::create_directories(driveC);
        fs::create_directories(home + "/" + prefixes[p] + "/dosdevices");
        fs::create_directory_symlink("/", home + "/" + prefixes[p] + "/dosdevices/z:");
        // Ten wide at the top, then chains a, a/b, a/b/c... as installed programs are, until
        // the prefix holds its share of folders.
        int made = 0;
        for (int i = 0; made < perPrefix; ++i) {
            std::string path = driveC + "/Program Files " + std::to_string(i % 10);
            made += ::mkdir(path.c_str(), 0755) == 0;
            for (int d = 1; d <= 1 + i % 7 && made < perPrefix; ++d) {
                path += "/f" + std::to_string(i / 10 % 50) + "_" + std::to_string(d);
                made += ::mkdir(path.c_str(), 0755) == 0;
            }
            path += "/leaf" + std::to_string(i);
            made += made < perPrefix && ::mkdir(path.c_str(), 0755) == 0;
        }
        if (p % 4 == 0) {
            for (const char* f : {"Aircraft", "Flights", "Gauges", "Modules"})
                fs::create_directories(driveC + "/Games/Sim" + std::to_string(p) + "/" + f);
            ++simulators;
        }
    }
    fs::create_directories(home + "/.local/share/Steam/steamapps");
    std::ofstream(home + "/.local/share/Steam/steamapps/libraryfolders.vdf")
        << "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\"" << home
        << "/.local/share/Steam\"\n\t}\n}\n";
    std::printf("data: %zu prefixes, %d folders, %d simulators in %s\n", prefixes.size(), total,
                simulators, home.c_str());
    return 0;
}

// The CPU time of a whole process and its children, as the other benchmarks count it.
double runProcess(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    int status = 0;
    rusage usage{};
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0 ||
        wait4(pid, &status, 0, &usage) < 0)
        return -1;
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void BM_FinderOurs(benchmark::State& state) {
    finder::Options options;
    options.env = finder::Environment::From(g_home, "", "", "");
    options.deadline = std::chrono::seconds(60);
    std::size_t found = 0;
    for (auto _ : state)
        found = finder::FindSimulators(options).simulators.size();
    state.counters["simulators"] = static_cast<double>(found);
}

void BM_FinderFind(benchmark::State& state) {
    std::vector<std::string> args{"find"};
    for (const std::string& p : prefixFolders())
        args.push_back(g_home + "/" + p + "/drive_c");
    for (const char* a : {"-maxdepth", "6", "-type", "d", "-name", "Modules"})
        args.push_back(a);
    std::string quiet = "exec \"$@\" >/dev/null";
    args.insert(args.begin(), {"sh", "-c", quiet, "sh"});
    for (auto _ : state)
        state.SetIterationTime(runProcess(args));
}

// The whole listing as a user runs it, for its peak memory.
void BM_FinderList(benchmark::State& state) {
    std::string peak = g_home + "/../list.peak";
    for (auto _ : state)
        state.SetIterationTime(
            runProcess({"env", "HOME=" + g_home, "XDG_CONFIG_HOME=", "XDG_DATA_HOME=",
                        g_binDir + "/tnv_peak_rss", peak, g_binDir + "/tarnavel-setup", "--list"}));
    long rss = -1;
    if (std::FILE* f = std::fopen(peak.c_str(), "r")) {
        if (std::fscanf(f, "%ld", &rss) != 1)
            rss = -1;
        std::fclose(f);
    }
    state.counters["rss_kb"] = static_cast<double>(rss);
}

} // namespace

BENCHMARK(BM_FinderOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FinderFind)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_FinderList)->Unit(benchmark::kMillisecond)->UseManualTime();

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "--make-data") == 0)
        return makeData(argv[2], argc > 3 ? std::atoi(argv[3]) : 50'000);
    const char* data = std::getenv("TNV_BENCH_HOME");
    if (!data) {
        std::fprintf(stderr, "tnv_finder_bench: set TNV_BENCH_HOME to a folder made by "
                             "--make-data\n");
        return 2;
    }
    g_home = data;
    g_binDir = fs::path(argv[0]).parent_path().string();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
