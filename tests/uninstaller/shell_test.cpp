#include "platform/msgbox.h"
#include "platform/shell.h"
#include "tests/support/test_support.h"

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;

namespace {

// Sets an environment variable for one test and puts the old value back.
class EnvVar {
public:
    EnvVar(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old, had_ = true;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~EnvVar() {
        if (had_)
            ::setenv(name_.c_str(), old_.c_str(), 1);
        else
            ::unsetenv(name_.c_str());
    }

private:
    std::string name_;
    std::string old_;
    bool had_ = false;
};

// A stand-in for the desktop launcher: records its arguments, exits with $FAKE_CODE.
struct FakeLauncher {
    TempDir dir;
    std::string log = dir.file("args");
    EnvVar path{"PATH", (dir.path() + ":/usr/bin:/bin").c_str()};
    EnvVar logVar{"FAKE_LOG", log.c_str()};
    explicit FakeLauncher(const std::string& body = "") {
        std::string script = dir.file("xdg-open");
        writeFile(script, "#!/bin/sh\n" + body +
                              "printf '%s\\n' \"$@\" > \"$FAKE_LOG\"\nexit ${FAKE_CODE:-0}\n");
        ::chmod(script.c_str(), 0755);
    }
};

template <class Pred> bool waitUntil(Pred pred, int ms) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end && !pred())
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return pred();
}

} // namespace

TEST(OpenDocument, HandsTheExactPathToTheLauncher) {
    FakeLauncher fake;
    TempDir docs;
    std::string odd = docs.file("Fleet Scout 'keywords' $x.txt");
    writeFile(odd, "x");
    std::string error;
    ASSERT_TRUE(shell::OpenDocument(odd, &error)) << error;
    EXPECT_TRUE(waitUntil([&] { return readFile(fake.log) == odd + "\n"; }, 3000));

    // A relative name that looks like an option stays a name.
    writeFile(docs.file("-n"), "x");
    auto here = std::filesystem::current_path();
    std::filesystem::current_path(docs.path());
    bool ok = shell::OpenDocument("-n", &error);
    std::filesystem::current_path(here);
    ASSERT_TRUE(ok) << error;
    EXPECT_TRUE(waitUntil([&] { return readFile(fake.log) == "./-n\n"; }, 3000));
}

TEST(OpenDocument, ReportsEveryWayOfFailing) {
    FakeLauncher fake;
    TempDir docs;
    std::string file = docs.file("FleetScout.txt");
    writeFile(file, "x");
    struct Case {
        const char* code;
        std::string path;
        std::string expected;
    } cases[] = {
        {"0", docs.file("absent.txt"), "Cannot find '" + docs.file("absent.txt") + "'"},
        {"3", file, "There is no program set to open '" + file + "'."},
        {"4", file, "the program set for it failed to start"},
        {"2", file, "Cannot find"},
    };
    for (const Case& c : cases) {
        EnvVar code("FAKE_CODE", c.code);
        std::string error;
        EXPECT_FALSE(shell::OpenDocument(c.path, &error)) << c.code;
        EXPECT_NE(error.find(c.expected), std::string::npos) << error;
    }
    EXPECT_FALSE(testsupport::exists(fake.log) &&
                 readFile(fake.log).find("absent") != std::string::npos);

    EnvVar noLauncher("PATH", "/nonexistent");
    std::string error;
    EXPECT_FALSE(shell::OpenDocument(file, &error));
    EXPECT_NE(error.find("xdg-open"), std::string::npos) << error;
}

TEST(OpenDocument, DoesNotWaitForALauncherThatKeepsRunning) {
    FakeLauncher fake("sleep 5\n");
    TempDir docs;
    writeFile(docs.file("a.txt"), "x");
    auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(shell::OpenDocument(docs.file("a.txt"), nullptr, 300));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
}

TEST(OpenDocument, TellsTheUserWhenItFails) {
    FakeLauncher fake;
    ScriptedMessageBox boxes;
    EXPECT_FALSE(shell::OpenDocumentOrTell("/nonexistent/FleetScout.txt"));
    ASSERT_EQ(boxes.calls().size(), 1u);
    EXPECT_EQ(boxes.calls()[0].flags, MB_OK | MB_ICONERROR);
    EXPECT_NE(boxes.calls()[0].text.find("/nonexistent/FleetScout.txt"), std::string::npos);
}

TEST(StartDetached, RunsHiddenInASessionOfItsOwnAndOutlivesUs) {
    TempDir dir;
    int leak = ::open(dir.path().c_str(), O_RDONLY); // not close-on-exec: must not reach the child
    ASSERT_GE(leak, 0);
    std::string out = dir.file("out");
    std::string script = dir.file("probe.sh");
    writeFile(script,
              "echo noise\necho noise >&2\n"
              "read -r stat < /proc/$$/stat\n"
              "fds=$(readlink /proc/$$/fd/0 /proc/$$/fd/1 /proc/$$/fd/2 | tr '\\n' ' ')\n"
              "leak=no; [ -e /proc/$$/fd/" +
                  std::to_string(leak) +
                  " ] && leak=yes\n"
                  "sleep 1\n"
                  "read -r later < /proc/$$/stat\n"
                  "printf '%s\\n%s\\n%s\\n%s\\n' \"$stat\" \"$fds\" \"$leak\" \"$later\" > " +
                  out +
                  ".part\n"
                  "mv " +
                  out + ".part " + out + "\n");
    std::string error;
    ASSERT_TRUE(shell::StartDetached({"/bin/sh", script}, &error)) << error;
    ::close(leak);
    ASSERT_TRUE(waitUntil([&] { return testsupport::exists(out); }, 10000));
    std::istringstream lines(readFile(out));
    std::string stat, fds, leaked, later;
    std::getline(lines, stat);
    std::getline(lines, fds);
    std::getline(lines, leaked);
    std::getline(lines, later);
    // pid (comm) state ppid pgrp session tty_nr
    std::istringstream fields(later.substr(later.rfind(')') + 2));
    std::string state;
    long ppid, pgrp, session, tty;
    fields >> state >> ppid >> pgrp >> session >> tty;
    EXPECT_NE(ppid, static_cast<long>(::getpid()));
    EXPECT_NE(pgrp, static_cast<long>(::getpgrp()));
    EXPECT_NE(session, static_cast<long>(::getsid(0)));
    EXPECT_EQ(tty, 0);
    EXPECT_EQ(fds, "/dev/null /dev/null /dev/null ");
    EXPECT_EQ(leaked, "no");
}

TEST(StartDetached, SaysWhenItCannotStart) {
    TempDir dir;
    writeFile(dir.file("notexec"), "#!/bin/sh\n");
    struct Case {
        std::vector<std::string> argv;
    } cases[] = {{{}}, {{"no-such-program-tnv"}}, {{dir.file("notexec")}}, {{dir.file("absent")}}};
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(shell::StartDetached(c.argv, &error));
        EXPECT_FALSE(error.empty());
    }
}

TEST(SpecialFolders, FollowTheDesktopsConventions) {
    struct Case {
        const char* dataHome;
        const char* home;
        const char* tmpdir;
        std::string apps;
        std::string tmp;
    } cases[] = {
        {"/x/data", "/home/u", "/var/tmp/", "/x/data/applications", "/var/tmp"},
        {nullptr, "/home/u", nullptr, "/home/u/.local/share/applications", "/tmp"},
        {"relative", "/home/u", "", "/home/u/.local/share/applications", "/tmp"},
        {"", "/home/u", "/", "/home/u/.local/share/applications", "/"},
    };
    for (const Case& c : cases) {
        EnvVar d("XDG_DATA_HOME", c.dataHome), h("HOME", c.home), t("TMPDIR", c.tmpdir);
        EXPECT_EQ(shell::ApplicationsFolder(), c.apps);
        EXPECT_EQ(shell::TempFolder(), c.tmp);
    }
}
