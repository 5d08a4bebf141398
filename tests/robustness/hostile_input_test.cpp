// The scan and the crew pack given hostile folders: ten thousand random names, binary garbage
// where aircraft.cfg and WAV files belong, and paths of four thousand characters. Each case
// finishes in seconds, crashes nothing and loses nothing on disk.
#include "browser/aircraft_scan.h"
#include "editor/crew_pack.h"
#include "platform/base/fs.h"
#include "platform/base/msgbox.h"
#include "playback/wave_reader.h"
#include "tests/editor/fake_view.h"
#include "tests/support/sim_tree.h"
#include "tests/support/test_support.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>

using namespace tnv;
using namespace tnv::cueline;
using namespace tnv::fleet;

using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;

namespace {

namespace fs = std::filesystem;

std::string garbage(simtree::Rng& rng, std::size_t size) {
    std::string s(size, '\0');
    for (char& c : s)
        c = static_cast<char>(rng.next());
    return s;
}

// A file name of random bytes: anything but the separator and the zero byte.
std::string randomName(simtree::Rng& rng) {
    std::string s(static_cast<std::size_t>(1 + rng.below(40)), 'x');
    for (char& c : s)
        c = static_cast<char>(1 + rng.below(255));
    std::replace(s.begin(), s.end(), '/', '_');
    if (s == "." || s == "..")
        s += "x";
    return s;
}

// What `body` gives, failed past `limit` seconds: a hang would take far longer.
template <class Body> auto timed(const char* what, double limit, Body body) {
    auto start = std::chrono::steady_clock::now();
    auto result = body();
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%s: %.2f s\n", what, seconds);
    EXPECT_LT(seconds, limit) << what;
    return result;
}

// A crew pack in `folder`, shown in a FakeView, not yet loaded.
struct ShownPack {
    FakeView view;
    CCrewPack pack{&view};
    explicit ShownPack(const std::string& folder) {
        view.pack = &pack;
        pack.setFolder(folder);
    }
};

// A path of about `length` characters made of nested folders, created on disk.
std::string deepFolder(const std::string& base, std::size_t length) {
    std::string path = base;
    while (path.size() + 201 < length)
        path += "/" + std::string(200, 'd');
    path += "/" + std::string(length - path.size() - 1, 'e');
    fs::create_directories(path);
    return path;
}

} // namespace

TEST(HostileInput, AircraftFolderOfTenThousandRandomEntriesAndGarbageCfgs) {
    TempDir dir;
    std::string aircraft = dir.mkdir("Aircraft");
    simtree::Rng rng(99);
    for (int i = 0; i < 10000; ++i) {
        std::string path = aircraft + "/" + randomName(rng);
        if (fs::exists(path))
            continue;
        if (i % 3 == 0) {
            fs::create_directory(path);
            // Garbage where the aircraft.cfg belongs, sometimes a large one.
            writeFile(path + "/aircraft.cfg", garbage(rng, i % 300 == 0 ? 1 << 20 : 600));
        } else {
            writeFile(path, garbage(rng, 64));
        }
    }
    // Real aircraft among them, named to be listed first.
    for (int i = 0; i < 3; ++i) {
        std::string folder = aircraft + "/\x01real" + std::to_string(i);
        fs::create_directory(folder);
        writeFile(folder + "/aircraft.cfg", simtree::AircraftCfg(rng, i, false));
    }
    auto table = std::make_unique<AircraftTable>();
    int found = timed("scan of the random folder", 20,
                      [&] { return GrabDataFromAircraftCfg(aircraft, *table, {}); });
    EXPECT_GE(found, 3);
    EXPECT_LE(found, kAircraftSlots);
    for (int k = 0; k < found; ++k)
        EXPECT_GT((*table)[k].emptyWeightLbs, 10);
}

TEST(HostileInput, PackFolderOfTenThousandRandomFilesAndGarbageWaves) {
    TempDir dir;
    simtree::Rng rng(17);
    const std::string text = "real.wav;Gear down\r\n";
    writeFile(dir.file("CueLine.clt"), text);
    for (int i = 0; i < 10000; ++i) {
        std::string name = randomName(rng);
        if (i % 2 == 0)
            name += i % 4 == 0 ? ".wav" : ".WAV";
        writeFile(dir.path() + "/" + name, garbage(rng, static_cast<std::size_t>(rng.below(200))));
    }
    writeFile(dir.file("real.wav"), garbage(rng, 4096));
    ScriptedMessageBox box; // tells of the sounds the list has no room for
    ShownPack shown(dir.path());
    CCrewPack& pack = shown.pack;
    EXPECT_TRUE(timed("load of the random pack", 20, [&] { return pack.loadCrewPack(); }));
    EXPECT_LE(pack.count(), kMaxEntries);
    EXPECT_EQ(std::string(pack.entry(0).fileName), "real.wav");
    EXPECT_FALSE(box.calls().empty());
    EXPECT_EQ(readFile(dir.file("CueLine.clt")), text);

    // Every WAV of it, garbage all, is refused by the reader without harm.
    int opened = 0;
    for (const fsx::DirEntry& e : fsx::listFolder(dir.path())) {
        if (!fsx::hasExtension(e.name, ".wav"))
            continue;
        CWaveReader reader;
        if (reader.open((dir.path() + "/" + e.diskName).c_str(), nullptr, WAVEFILE_READ) == 0) {
            ++opened;
            std::uint8_t buf[512];
            std::uint32_t got = 0;
            reader.read(buf, sizeof buf, &got);
            EXPECT_LE(got, sizeof buf);
        }
    }
    EXPECT_EQ(opened, 0);
}

TEST(HostileInput, ReportOfAPackWithGarbageWavesAndAHugeLineFinishes) {
    TempDir dir;
    simtree::Rng rng(23);
    std::string clt =
        "a.wav;" + std::string(300000, 'x') + "\r\nb.wav;Flaps\r\n" + garbage(rng, 100000) + "\r\n";
    writeFile(dir.file("CueLine.clt"), clt);
    writeFile(dir.file("a.wav"), garbage(rng, 5000));
    writeFile(dir.file("b.wav"), "RIFF\xff\xff\xff\xffWAVEfmt ");
    std::string out;
    int rc = timed("report", 20, [&] {
        return testsupport::runCommand("timeout 20 " + testsupport::binDir() +
                                           "/TnvCueLine --report '" + dir.path() + "' 2>/dev/null",
                                       &out);
    });
    EXPECT_NE(rc, 124) << "timed out";
    EXPECT_LT(rc, 128) << "killed by a signal";
    EXPECT_NE(out.find("b.wav\tFlaps"), std::string::npos) << out.substr(0, 500);
    EXPECT_EQ(readFile(dir.file("CueLine.clt")), clt);
}

TEST(HostileInput, PathsOfFourThousandCharacters) {
    TempDir dir;
    // The crew pack: loading works; saving either works or says why, and the old file stays.
    std::string packFolder = deepFolder(dir.path(), 4000);
    const std::string text = "a.wav;Gear down\r\n";
    writeFile(packFolder + "/CueLine.clt", text);
    writeFile(packFolder + "/a.wav", "");
    {
        ShownPack shown(packFolder);
        CCrewPack& pack = shown.pack;
        ASSERT_TRUE(pack.loadCrewPack());
        EXPECT_EQ(pack.count(), 1);
        shown.view.rows = {{"a.wav", "Gear down, three green"}};
        ScriptedMessageBox box; // the default buttons: OK to save
        pack.setModified(true);
        if (pack.saveCrewPack()) {
            EXPECT_NE(readFile(packFolder + "/CueLine.clt").find("three green"), std::string::npos);
        } else {
            EXPECT_EQ(readFile(packFolder + "/CueLine.clt"), text);
            EXPECT_TRUE(pack.modified());
            EXPECT_NE(box.calls().back().flags & MB_ICONERROR, 0u);
        }
    }
    // The scan: aircraft folders that deep, their aircraft.cfg close to the system's limit.
    for (std::size_t length : {3900u, 4070u}) {
        std::string aircraft = deepFolder(dir.path() + "/scan" + std::to_string(length), length);
        fs::create_directories(aircraft + "/p");
        simtree::Rng rng(1);
        writeFile(aircraft + "/p/aircraft.cfg", simtree::AircraftCfg(rng, 1, false));
        ASSERT_EQ(readFile(aircraft + "/p/aircraft.cfg").empty(), false);
        auto table = std::make_unique<AircraftTable>();
        EXPECT_EQ(GrabDataFromAircraftCfg(aircraft, *table, {}), 1) << length;
        EXPECT_STREQ((*table)[0].folder, "p");
    }
}

// A CueLine.clt of one line of a gigabyte: read in seconds, in little memory. Labelled slow.
TEST(HostileInputSlow, GigabyteOneLineCueLine) {
    if (!std::getenv("TNV_SLOW_TESTS"))
        GTEST_SKIP() << "set TNV_SLOW_TESTS=1 (ctest -L slow)";
    TempDir dir;
    std::FILE* f = std::fopen(dir.file("CueLine.clt").c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("a.wav;", f);
    const std::string chunk(1 << 20, 'x');
    for (int i = 0; i < 1024; ++i)
        std::fwrite(chunk.data(), 1, chunk.size(), f);
    std::fputs("\r\nb.wav;Flaps\r\n", f);
    std::fclose(f);
    writeFile(dir.file("b.wav"), "");
    ScriptedMessageBox box;
    ShownPack shown(dir.path());
    CCrewPack& pack = shown.pack;
    EXPECT_TRUE(timed("load of the gigabyte line", 20, [&] { return pack.loadCrewPack(); }));
    bool flaps = false;
    for (int i = 0; i < pack.count(); ++i)
        flaps = flaps || std::string(pack.entry(i).text) == "Flaps";
    EXPECT_TRUE(flaps);
    EXPECT_EQ(fs::file_size(dir.file("CueLine.clt")), 6u + (1u << 30) + 15u);

    std::string out;
    const std::string report = "timeout 60 " + testsupport::binDir() + "/TnvCueLine --report '" +
                               dir.path() + "' 2>/dev/null | tail -c 300";
    int rc = timed("report of the gigabyte line", 30,
                   [&] { return testsupport::runCommand(report, &out); });
    EXPECT_EQ(rc, 0);
    EXPECT_NE(out.find("Flaps"), std::string::npos);
}
