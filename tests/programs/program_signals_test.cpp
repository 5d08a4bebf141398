// The programs run as child processes with a time limit, so that a program that hangs fails the
// test instead of stalling it: --play of a lying WAV, Ctrl+C and SIGTERM to --play and to the
// windows.
#include "tests/playback/wav_fixture.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace wavfixture;
using Clock = std::chrono::steady_clock;

namespace {

struct Child {
    pid_t pid = -1;
    std::string errFile;
};

// Starts a built program with `env` set on top of ours, its output into a file.
Child start(const std::string& program, const std::vector<std::string>& args,
            const std::vector<std::pair<std::string, std::string>>& env, const std::string& dir) {
    Child run;
    run.errFile = dir + "/stderr.txt";
    std::string path =
        program.find('/') == std::string::npos ? testsupport::binDir() + "/" + program : program;
    run.pid = ::fork();
    if (run.pid == 0) {
        for (const auto& [name, value] : env)
            ::setenv(name.c_str(), value.c_str(), 1);
        // A test run from a background job inherits Ctrl+C ignored; the programs must not.
        ::signal(SIGINT, SIG_DFL);
        ::signal(SIGTERM, SIG_DFL);
        int out = ::open(run.errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(out, 1);
        ::dup2(out, 2);
        std::vector<char*> argv{const_cast<char*>(path.c_str())};
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(path.c_str(), argv.data());
        ::_exit(127);
    }
    return run;
}

// The wait status, or none when the program had to be killed after `seconds`.
std::optional<int> finish(const Child& run, double seconds) {
    int status = 0;
    if (testsupport::waitUntil([&] { return ::waitpid(run.pid, &status, WNOHANG) == run.pid; },
                               static_cast<int>(seconds * 1000)))
        return status;
    ::kill(run.pid, SIGKILL);
    ::waitpid(run.pid, &status, 0);
    return std::nullopt;
}

// Ended by the signal, or exited with 128 + its number as a shell reports it.
bool endedBy(const std::optional<int>& status, int signo) {
    return status && ((WIFSIGNALED(*status) && WTERMSIG(*status) == signo) ||
                      (WIFEXITED(*status) && WEXITSTATUS(*status) == 128 + signo));
}

std::string describe(const std::optional<int>& status, const Child& run) {
    std::string what = !status ? "still running, killed"
                       : WIFSIGNALED(*status)
                           ? "killed by signal " + std::to_string(WTERMSIG(*status))
                           : "exit " + std::to_string(WEXITSTATUS(*status));
    return what + "; output: " + testsupport::readFile(run.errFile);
}

// Waits until the program catches SIGTERM (its window is on the way), then a little more.
void letItStart(const Child& child) {
    (void)testsupport::waitUntil(
        [&] {
            std::string status =
                testsupport::readFile("/proc/" + std::to_string(child.pid) + "/status");
            std::size_t at = status.find("SigCgt:");
            return at != std::string::npos &&
                   (std::stoull(status.substr(at + 7), nullptr, 16) >> (SIGTERM - 1) & 1);
        },
        30000);
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
}

class ProgramSignals : public ::testing::Test {
protected:
    std::string wavFile(const std::string& name, unsigned rate, Bytes samples,
                        std::optional<std::uint32_t> declared = {}) {
        std::string p = dir.file(name);
        Chunk data("data", std::move(samples), declared);
        testsupport::writeFile(p, str(riff({fmtChunk(pcm(1, rate, 8)), data})));
        return p;
    }
    std::vector<std::pair<std::string, std::string>> env(const char* audio = "dummy") {
        return {{"SDL_AUDIODRIVER", audio},
                {"QT_QPA_PLATFORM", "offscreen"},
                {"HOME", dir.path()},
                {"XDG_CONFIG_HOME", dir.file("config")}};
    }
    testsupport::TempDir dir;
};

TEST_F(ProgramSignals, PlayOfAWavThatDeclaresMoreThanItHoldsEnds) {
    // A quarter of a second held; the headers declare 35 minutes and a gigabyte.
    for (std::uint32_t declared : {16u << 20, 1u << 30}) {
        std::string p = wavFile("lying.wav", 8000, Bytes(2000, 0xA0), declared);
        auto begin = Clock::now();
        Child run = start("TnvCueLine", {"--play", p}, env(), dir.path());
        std::optional<int> status = finish(run, 20);
        ASSERT_TRUE(status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0)
            << declared << ": " << describe(status, run);
        EXPECT_LT(Clock::now() - begin, std::chrono::seconds(10)) << declared;
    }
}

TEST_F(ProgramSignals, CtrlCAndSigtermEndPlayAtOnce) {
    std::string p = wavFile("minute.wav", 100, Bytes(6000, 0xA0)); // a minute of sound
    for (int signo : {SIGINT, SIGTERM}) {
        Child run = start("TnvCueLine", {"--play", p}, env(), dir.path());
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        ::kill(run.pid, signo);
        std::optional<int> status = finish(run, 10);
        EXPECT_TRUE(endedBy(status, signo)) << signo << ": " << describe(status, run);
    }
}

// The windows close on signals as by their close box: the editor with the sound device and
// without one. The uninstaller is started through a link in a folder of its own: whatever it
// would act on is inside the test's folder, and closing its window removes nothing anyway.
TEST_F(ProgramSignals, WindowsWithoutEditsCloseOnSignals) {
    std::string pack = dir.mkdir("Pack"), clt = pack + "/CueLine.clt", bin = dir.mkdir("bin");
    testsupport::writeFile(clt, "a.wav;Hello\r\n");
    wavFile("Pack/a.wav", 8000, Bytes(800, 0xA0));
    ASSERT_EQ(::symlink((testsupport::binDir() + "/UninstallTarnavel").c_str(),
                        (bin + "/UninstallTarnavel").c_str()),
              0);
    const struct {
        std::string program;
        std::vector<std::string> args;
        const char* audio;
        int signo;
    } cases[] = {{"TnvCueLine", {clt}, "dummy", SIGTERM},
                 {"TnvCueLine", {clt}, "dummy", SIGINT},
                 {"TnvCueLine", {clt}, "no-such-driver", SIGTERM},
                 {"FleetValuer", {"--base", dir.mkdir("Sim/Tarnavel")}, "dummy", SIGTERM},
                 {bin + "/UninstallTarnavel", {}, "dummy", SIGTERM}};
    for (const auto& c : cases) {
        Child run = start(c.program, c.args, env(c.audio), dir.path());
        letItStart(run);
        ::kill(run.pid, c.signo);
        std::optional<int> status = finish(run, 15);
        ASSERT_TRUE(status) << c.program << " " << c.audio << " " << c.signo << ": "
                            << describe(status, run);
        EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 128 + c.signo)
            << "closed, not killed: " << c.program << ": " << describe(status, run);
    }
    EXPECT_TRUE(testsupport::exists(bin + "/UninstallTarnavel"));
}

} // namespace
