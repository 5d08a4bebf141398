#include "platform/base/msgbox.h"
#include "platform/shell/shell.h"
#include "tests/support/test_support.h"

#include <chrono>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <optional>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

using namespace tnv;

using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;

namespace {

// An environment variable set, or unset, for a scope.
struct EnvVar {
    std::string name;
    std::optional<std::string> old;
    EnvVar(const char* n, const std::optional<std::string>& value) : name(n) {
        if (const char* was = std::getenv(n))
            old = was;
        value ? ::setenv(n, value->c_str(), 1) : ::unsetenv(n);
    }
    ~EnvVar() { old ? ::setenv(name.c_str(), old->c_str(), 1) : ::unsetenv(name.c_str()); }
};

} // namespace

TEST(OpenDocument, HandsThePathToTheLauncherOrSaysWhyNot) {
    TempDir dir;
    std::string launcher = dir.file("xdg-open"), log = dir.file("args");
    writeFile(launcher,
              "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$FAKE_LOG\"\n$FAKE_RUN\nexit $FAKE_CODE\n");
    ::chmod(launcher.c_str(), 0755);
    EnvVar path("PATH", dir.path() + ":/usr/bin:/bin"), logVar("FAKE_LOG", log);
    std::string doc = dir.file("Fleet Scout 'keywords' $x.txt");
    writeFile(doc, "x");
    struct Case {
        std::string code, run, path, says; // says: empty for success
    } cases[] = {
        {"0", "", doc, ""},
        {"0", "sleep 5", doc, ""}, // still busy: the program is starting
        {"0", "", dir.file("absent.txt"), "Cannot find '" + dir.file("absent.txt") + "'"},
        {"3", "", doc, "There is no program set to open '" + doc + "'."},
        {"4", "", doc, "failed to start"},
    };
    for (const Case& c : cases) {
        ::unlink(log.c_str());
        EnvVar code("FAKE_CODE", c.code), run("FAKE_RUN", c.run);
        std::string error;
        auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(shell::OpenDocument(c.path, &error, 300), c.says.empty()) << c.code << c.run;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
        EXPECT_NE(error.find(c.says), std::string::npos) << error;
        bool handed = testsupport::waitUntil([&] { return readFile(log) == doc + "\n"; }, 3000);
        EXPECT_TRUE(handed || !c.says.empty());
    }
    EnvVar none("PATH", "/nonexistent");
    ScriptedMessageBox boxes;
    EXPECT_FALSE(shell::OpenDocumentOrTell(doc));
    ASSERT_EQ(boxes.calls().size(), 1u);
    EXPECT_EQ(boxes.calls()[0].flags, MB_OK | MB_ICONERROR);
    EXPECT_NE(boxes.calls()[0].text.find("xdg-open"), std::string::npos);
}

TEST(StartDetached, RunsHiddenInASessionOfItsOwnAndOutlivesUs) {
    TempDir dir;
    int leak = ::open(dir.path().c_str(), O_RDONLY); // not close-on-exec, yet must not reach it
    std::string out = dir.file("out");
    // Given the descriptor that must not leak and the file to write.
    writeFile(dir.file("probe.sh"),
              "echo noise; echo noise >&2\nsleep 1\nread -r stat < /proc/$$/stat\n"
              "fds=$(readlink /proc/$$/fd/0 /proc/$$/fd/1 /proc/$$/fd/2 | tr '\\n' ' ')\n"
              "[ -e /proc/$$/fd/$1 ] && fds=\"$fds leaked\"\n"
              "printf '%s\\n%s\\n' \"$stat\" \"$fds\" > \"$2.part\"; mv \"$2.part\" \"$2\"\n");
    std::string error;
    ASSERT_TRUE(
        shell::StartDetached({"/bin/sh", dir.file("probe.sh"), std::to_string(leak), out}, &error))
        << error;
    ::close(leak);
    ASSERT_TRUE(testsupport::waitUntil([&] { return testsupport::exists(out); }, 10000));
    std::istringstream lines(readFile(out));
    std::string stat, fds, state;
    std::getline(lines, stat);
    std::getline(lines, fds);
    long ppid, pgrp, session, tty;
    std::istringstream(stat.substr(stat.rfind(')') + 2)) >> state >> ppid >> pgrp >> session >> tty;
    EXPECT_NE(ppid, ::getpid());
    EXPECT_NE(pgrp, ::getpgrp());
    EXPECT_NE(session, ::getsid(0));
    EXPECT_EQ(tty, 0);
    EXPECT_EQ(fds, "/dev/null /dev/null /dev/null ");

    writeFile(dir.file("notexec"), "#!/bin/sh\n");
    for (const std::vector<std::string>& argv : std::vector<std::vector<std::string>>{
             {}, {"no-such-program-tnv"}, {dir.file("notexec")}, {dir.file("absent")}}) {
        EXPECT_FALSE(shell::StartDetached(argv, &error));
        EXPECT_FALSE(error.empty());
    }
}

TEST(SpecialFolders, FollowTheDesktopsConventions) {
    struct Case {
        std::optional<std::string> dataHome, tmpdir;
        std::string apps, tmp;
    } cases[] = {
        {"/x/data", "/var/tmp/", "/x/data/applications", "/var/tmp"},
        {std::nullopt, std::nullopt, "/home/u/.local/share/applications", "/tmp"},
        {"relative", "", "/home/u/.local/share/applications", "/tmp"},
        {"", "/", "/home/u/.local/share/applications", "/"},
    };
    EnvVar home("HOME", "/home/u");
    for (const Case& c : cases) {
        EnvVar d("XDG_DATA_HOME", c.dataHome), t("TMPDIR", c.tmpdir);
        EXPECT_EQ(shell::ApplicationsFolder(), c.apps);
        EXPECT_EQ(shell::TempFolder(), c.tmp);
    }
}
