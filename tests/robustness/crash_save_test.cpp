// A save killed (strace's fault injection) at each of its system calls leaves CueLine.clt old or
// new and whole, or, while it is rewritten in place, a whole copy of the old text in the cache.
#include "tests/support/test_support.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;

namespace {

const std::string kOld = "a.wav;Gear down, three green lights\r\nb.wav;Flaps fifteen, speed "
                         "checked\r\nc.wav;Cabin crew, prepare for landing\r\n";
const std::string kNew = "a.wav;Up\r\nb.wav;Up\r\nc.wav;Up\r\n";
constexpr uid_t kNobody = 65534;

// A pack laid out afresh for one run, with its own cache folder.
struct Pack {
    TempDir dir;
    std::string folder = dir.path() + "/Pack", cache = dir.path() + "/cache";
    std::string file = folder + "/CueLine.clt";
    bool asNobody = false;

    // noNewFile: a folder that takes no new file, written in place.
    Pack(bool hardLinked, bool noNewFile) {
        ::chmod(dir.path().c_str(), 0755);
        std::filesystem::create_directories(folder);
        std::filesystem::create_directories(cache);
        for (const char* wav : {"a.wav", "b.wav", "c.wav"})
            writeFile(folder + "/" + wav, "RIFF");
        writeFile(file, kOld);
        if (hardLinked)
            ::link(file.c_str(), (folder + "/CueLine.bak").c_str());
        if (noNewFile) {
            // As root no permission refuses anything: the save then runs as nobody.
            asNobody = ::geteuid() == 0;
            if (asNobody) {
                (void)!::chown(file.c_str(), kNobody, kNobody);
                (void)!::chown(cache.c_str(), kNobody, kNobody);
            }
            ::chmod(folder.c_str(), 0555);
        }
    }
    ~Pack() { ::chmod(folder.c_str(), 0755); }

    // The save killed at its `n`th `call`: 137 when killed there, 0 when it saved before.
    int saveKilledAt(const std::string& call, int n) const {
        std::string program = std::getenv("TNV_SAVE_ONCE") ? std::getenv("TNV_SAVE_ONCE") : "";
        // LeakSanitizer cannot work under a tracer: in the sanitizer build it would fail the end.
        return testsupport::runCommand(
            "ASAN_OPTIONS=detect_leaks=0 XDG_CACHE_HOME='" + cache +
            "' strace -f -o /dev/null -e trace=" + call + " -e inject=" + call +
            ":signal=KILL:when=" + std::to_string(n) + " '" + program + "' '" + folder + "' Up" +
            (asNobody ? " --as-nobody" : "") + " 2>/dev/null");
    }

    // The copies of old texts in the cache folder (a hidden one is a copy still being written).
    std::vector<std::string> keptCopies() const {
        std::vector<std::string> copies;
        std::error_code ec;
        for (const auto& e : std::filesystem::directory_iterator(cache + "/tarnavel", ec))
            if (e.path().filename().string()[0] != '.')
                copies.push_back(e.path().string());
        return copies;
    }
};

} // namespace

TEST(CrashDuringSave, EveryCallLeavesTheOldTextOrTheNewWhole) {
    if (testsupport::runCommand("strace -f -o /dev/null -e trace=none true 2>/dev/null") != 0)
        GTEST_SKIP() << "strace cannot trace here (not installed, or ptrace refused)";
    struct Case {
        const char* what;
        bool hardLinked, noNewFile;
    } cases[] = {{"a plain pack", false, false},
                 {"a hard-linked CueLine.clt", true, false},
                 {"a pack in a folder that takes no new file", false, true}};
    for (const Case& c : cases) {
        int inPlaceTorn = 0;
        for (const char* call :
             {"write", "pwrite64", "ftruncate", "fsync", "rename", "link", "unlink", "close"}) {
            for (int n = 1;; ++n) {
                std::string where =
                    std::string(c.what) + ", killed at " + call + " " + std::to_string(n);
                Pack p(c.hardLinked, c.noNewFile);
                int status = p.saveKilledAt(call, n);
                std::string text = readFile(p.file);
                std::vector<std::string> copies = p.keptCopies();
                ASSERT_LE(copies.size(), 1u) << where;
                for (const std::string& copy : copies)
                    EXPECT_EQ(readFile(copy), kOld) << where << ": the copy is whole";
                if (text != kOld && text != kNew) {
                    ++inPlaceTorn;
                    EXPECT_TRUE(c.noNewFile) << where << ": torn: " << text;
                    EXPECT_EQ(copies.size(), 1u) << where << ": torn with no copy";
                }
                if (c.hardLinked) {
                    EXPECT_EQ(readFile(p.folder + "/CueLine.bak"), kOld) << where;
                }
                if (status == 0) {
                    EXPECT_EQ(text, kNew) << where;
                    EXPECT_TRUE(copies.empty()) << where;
                    break;
                }
                ASSERT_EQ(status, 137) << where << ": neither killed nor saved";
                ASSERT_LT(n, 200) << where;
            }
        }
        // The in-place write was caught half-way at least once: the copy did its work.
        EXPECT_EQ(inPlaceTorn > 0, c.noNewFile) << c.what;
    }
}
