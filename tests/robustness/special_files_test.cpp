// Special files where the programs expect files, and writes onto disks that fail. The programs
// run as child processes under `timeout`, so that a program that waits on a FIFO or reads a
// device without end fails its test instead of stopping the suite. Devices are nodes made in the
// test's folder (root, as the tests run here); a program that replaced one never touches /dev.
#include "tests/robustness/small_tmpfs.h"
#include "tests/support/crew_pack.h"
#include "tests/support/sim_folder.h"
#include "tests/support/test_support.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

using testsupport::readFile;
using testsupport::runCommand;
using testsupport::TempDir;
using testsupport::writeFile;

namespace {

const char* const kLimit = "timeout -s KILL 10 ";

enum class Special { Fifo, DevZero, DevUrandom, Folder, Socket };

const char* nameOf(Special s) {
    const char* const names[] = {"FIFO", "/dev/zero", "/dev/urandom", "folder", "socket"};
    return names[static_cast<int>(s)];
}

const Special kAllSpecials[] = {Special::Fifo, Special::DevZero, Special::DevUrandom,
                                Special::Folder, Special::Socket};

// Puts a special file at `path` in place of whatever was there.
void makeSpecial(Special kind, const std::string& path) {
    std::filesystem::remove_all(path);
    const char* p = path.c_str();
    if (kind == Special::Socket) {
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        ASSERT_LT(path.size(), sizeof addr.sun_path) << "socket path too long";
        std::memcpy(addr.sun_path, p, path.size() + 1);
        int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
        close(fd); // the socket file stays
        return;
    }
    int made = kind == Special::Fifo ? mkfifo(p, 0644)
               : kind == Special::Folder
                   ? mkdir(p, 0755)
                   : mknod(p, S_IFCHR | 0666, makedev(1, kind == Special::DevZero ? 5 : 9));
    ASSERT_EQ(made, 0) << std::strerror(errno);
}

std::string program(const char* name) {
    return std::filesystem::absolute(testsupport::binDir() + "/" + name).string();
}

const auto shq = [](const std::string& s) { return "'" + s + "'"; };

// The names in a folder, for checking that no file or temporary was left.
std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A simulator with the add-on's settings, keyword list and two aircraft.
struct Sim : testsupport::SimFolder {
    std::string configCfg = settings("Euro", 0);
    std::string currencyCfg =
        currencies("Currencyname=Euro\nCurrencySign=EUR\nCurrencySignInFront=TRUE\n"
                   "CurrencySeparator=.\nCurrencyExchangeWithDollars=2.0\n");
    std::string keywordList = keywords("AI traffic;\n");
    std::string cubCfg = aircraft("cub", testsupport::aircraftCfgText("Cub", 820, 0, 1));
    std::string baronCfg = aircraft("baron", testsupport::aircraftCfgText("Baron", 3380, 0, 1));
    std::string fleetValuer(const std::string& args) const {
        return kLimit + shq(program("FleetValuer")) + " --base " + shq(base) + " " + args;
    }
};

// A crew pack with one listed sound.
struct Pack {
    TempDir dir;
    std::string clt = testsupport::writeCrewPack(dir.path(), "a.wav;Gear down\r\n", {"a.wav"});
    std::string cueLine(const std::string& args) const {
        return kLimit + shq(program("TnvCueLine")) + " " + args;
    }
};

} // namespace

// Each file FleetValuer reads, replaced by a special file, counts as missing: the export ends at
// once with what the other files give, and the window's start-up, which reads and scans the same
// files, shows.
TEST(SpecialFiles, FleetValuerTreatsThemAsUnreadable) {
    Sim sim;
    std::string all;
    ASSERT_EQ(runCommand(sim.fleetValuer("--export -"), &all), 0);
    ASSERT_NE(all.find("Baron"), std::string::npos);
    ASSERT_NE(all.find("EUR"), std::string::npos);
    const std::pair<const char*, std::string> files[] = {{"config.cfg", sim.configCfg},
                                                         {"money_currency.cfg", sim.currencyCfg},
                                                         {"FleetScout.txt", sim.keywordList},
                                                         {"aircraft.cfg", sim.cubCfg}};
    for (const auto& [what, path] : files) {
        std::string kept = readFile(path);
        for (Special kind : kAllSpecials) {
            SCOPED_TRACE(std::string(what) + " as " + nameOf(kind));
            ASSERT_NO_FATAL_FAILURE(makeSpecial(kind, path));
            std::string out;
            ASSERT_EQ(runCommand(sim.fleetValuer("--export - 2>/dev/null"), &out), 0);
            EXPECT_NE(out.find("Baron"), std::string::npos);
            bool euro = path != sim.configCfg && path != sim.currencyCfg;
            EXPECT_EQ(out.find("EUR") != std::string::npos, euro);
            EXPECT_EQ(out.find("Cub") != std::string::npos, path != sim.cubCfg);
            if ((kind != Special::Fifo && kind != Special::DevZero) || path == sim.currencyCfg)
                continue;
            std::string png = sim.dir.file("fleet.png");
            EXPECT_EQ(runCommand(sim.fleetValuer("--screenshot " + shq(png) +
                                                 " --size 400x200 2>/dev/null")),
                      0);
            EXPECT_EQ(readFile(png).substr(1, 3), "PNG");
        }
        std::filesystem::remove_all(path);
        writeFile(path, kept);
    }
}

// CueLine.clt as a special file is "File not found", for the report and for the editor, whose
// window still appears.
TEST(SpecialFiles, CrewPackTextFileIsNotFound) {
    for (Special kind : kAllSpecials) {
        SCOPED_TRACE(nameOf(kind));
        Pack pack;
        ASSERT_NO_FATAL_FAILURE(makeSpecial(kind, pack.clt));
        std::string err = pack.dir.file("err.txt");
        EXPECT_EQ(runCommand(pack.cueLine("--report " + shq(pack.dir.path()) + " 2>" + shq(err))),
                  1);
        EXPECT_NE(readFile(err).find("File not found"), std::string::npos) << readFile(err);

        std::string png = pack.dir.file("shot.png");
        EXPECT_EQ(runCommand(pack.cueLine("--screenshot " + shq(png) + " --size 400x200 " +
                                          shq(pack.dir.path()) + " 2>" + shq(err))),
                  0);
        EXPECT_EQ(readFile(png).substr(1, 3), "PNG");
        EXPECT_NE(readFile(err).find("File not found"), std::string::npos) << readFile(err);
    }
    // Named on the command line, a FIFO is a file that cannot be opened.
    Pack pack;
    ASSERT_NO_FATAL_FAILURE(makeSpecial(Special::Fifo, pack.clt));
    EXPECT_EQ(runCommand(pack.cueLine("--screenshot " + shq(pack.dir.file("s.png")) + " " +
                                      shq(pack.clt) + " 2>/dev/null")),
              1);
}

// The editor's settings file as a FIFO or a device: the editor starts with empty settings and
// leaves the special file as it was.
TEST(SpecialFiles, EditorSettingsFile) {
    for (Special kind : {Special::Fifo, Special::DevZero}) {
        SCOPED_TRACE(nameOf(kind));
        Pack pack;
        std::string config = pack.dir.mkdir("config/Local AppWizard-Generated Applications");
        std::string conf = config + "/CueLine.conf";
        ASSERT_NO_FATAL_FAILURE(makeSpecial(kind, conf));
        std::string png = pack.dir.file("shot.png");
        EXPECT_EQ(runCommand("XDG_CONFIG_HOME=" + shq(pack.dir.file("config")) + " " +
                             pack.cueLine("--screenshot " + shq(png) + " --size 400x200 " +
                                          shq(pack.clt) + " 2>/dev/null")),
                  0);
        EXPECT_EQ(readFile(png).substr(1, 3), "PNG");
        struct stat st;
        ASSERT_EQ(lstat(conf.c_str(), &st), 0);
        EXPECT_EQ(S_ISFIFO(st.st_mode), kind == Special::Fifo);
        EXPECT_EQ(S_ISCHR(st.st_mode), kind == Special::DevZero);
    }
}

// --print-pdf and --screenshot onto a full disk and onto /dev/full: exit status 1 with the
// reason, no file and no temporary left, and an older file kept as it was.
TEST(WriteFailures, DocumentsAndPicturesOntoAFullDisk) {
    Sim sim;
    Pack pack;
    struct Writer {
        const char* what;
        std::string command, tail; // the target goes between them
    } writers[] = {
        {"FleetValuer --print-pdf", sim.fleetValuer("--print-pdf"), ""},
        {"FleetValuer --screenshot", sim.fleetValuer("--screenshot"), ""},
        {"TnvCueLine --print-pdf", pack.cueLine("--print-pdf"), shq(pack.clt)},
        {"TnvCueLine --screenshot", pack.cueLine("--screenshot"), shq(pack.clt)},
    };
    std::string devFull = pack.dir.file("full"); // as /dev/full
    ASSERT_EQ(mknod(devFull.c_str(), S_IFCHR | 0666, makedev(1, 7)), 0) << std::strerror(errno);
    for (const Writer& w : writers) {
        SCOPED_TRACE(w.what);
        std::string err = pack.dir.file("err.txt");
        EXPECT_EQ(runCommand(w.command + " " + shq(devFull) + " " + w.tail + " 2>" + shq(err)), 1);
        EXPECT_NE(readFile(err).find("No space left on device"), std::string::npos)
            << readFile(err);
        struct stat st;
        ASSERT_EQ(stat(devFull.c_str(), &st), 0);
        EXPECT_TRUE(S_ISCHR(st.st_mode)); // written into, never replaced
    }

    SmallTmpfs full("size=64k");
    if (full.mounted) // what is left is too little for a picture or a document
        writeFile(full.dir.file("filler"), std::string(60 * 1024, 'x'));
    else
        GTEST_SKIP() << "full device checked; a full tmpfs needs root and mount (not available)";
    for (const Writer& w : writers) {
        SCOPED_TRACE(w.what);
        std::string target = full.dir.file("out");
        EXPECT_EQ(runCommand(w.command + " " + shq(target) + " " + w.tail + " 2>/dev/null"), 1);
        EXPECT_EQ(namesIn(full.dir.path()), std::vector<std::string>{"filler"});

        writeFile(target, "old");
        EXPECT_EQ(runCommand(w.command + " " + shq(target) + " " + w.tail + " 2>/dev/null"), 1);
        EXPECT_TRUE(readFile(target) == "old"); // not a picture or a document
        EXPECT_EQ(namesIn(full.dir.path()), (std::vector<std::string>{"filler", "out"}));
        std::filesystem::remove(target);
    }
}

// Targets that are no plain file: a link is written through, a FIFO without a reader is refused
// at once, a folder is refused.
TEST(WriteFailures, TargetsThatAreNoPlainFile) {
    Sim sim;
    const struct {
        const char *option, *link, *real, *holds;
        bool atStart;
    } links[] = {{"--print-pdf", "link.pdf", "real.pdf", "%PDF", true},
                 {"--export", "fleet.csv", "real.csv", "Baron", false}};
    struct stat st;
    for (const auto& l : links) {
        std::string link = sim.dir.file(l.link);
        ASSERT_EQ(symlink(l.real, link.c_str()), 0);
        ASSERT_EQ(runCommand(sim.fleetValuer(l.option + (" " + shq(link)) + " 2>/dev/null")), 0);
        ASSERT_EQ(lstat(link.c_str(), &st), 0);
        EXPECT_TRUE(S_ISLNK(st.st_mode)) << l.link;
        std::size_t at = readFile(sim.dir.file(l.real)).find(l.holds);
        EXPECT_TRUE(l.atStart ? at == 0 : at != std::string::npos) << l.real;
    }
    std::string fifo = sim.dir.file("fifo");
    ASSERT_NO_FATAL_FAILURE(makeSpecial(Special::Fifo, fifo));
    for (const char* option : {"--export", "--print-pdf", "--screenshot"})
        for (const std::string& target : {fifo, sim.dir.path()})
            EXPECT_EQ(runCommand(sim.fleetValuer(option + (" " + shq(target)) + " 2>/dev/null")), 1)
                << option << " " << target;
    ASSERT_EQ(lstat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    // A FIFO with a reader gets the table.
    int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    ASSERT_EQ(runCommand(sim.fleetValuer("--export " + shq(fifo))), 0);
    std::string out(65536, '\0');
    ssize_t n = read(reader, out.data(), out.size());
    close(reader);
    ASSERT_GT(n, 0);
    EXPECT_NE(out.substr(0, std::size_t(n)).find("Baron"), std::string::npos);
}
