#include "tests/support/test_support.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace testsupport {

TempDir::TempDir(const std::string& parent) {
    std::filesystem::path folder =
        parent.empty() ? std::filesystem::temp_directory_path() : std::filesystem::path(parent);
    std::string name = (folder / "tnvtest.XXXXXX").string();
    if (!mkdtemp(name.data()))
        throw std::runtime_error("mkdtemp failed");
    path_ = name;
}

TempDir::~TempDir() {
    std::error_code ec;
    // Give back write permission that a test took away, so the folder can go.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        if (it->is_directory(ec) && !it->is_symlink(ec))
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ec);
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

std::string TempDir::mkdir(const std::string& rel) const {
    std::string p = path_ + "/" + rel;
    std::filesystem::create_directories(p);
    return p;
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    if (!f)
        throw std::runtime_error("cannot write " + path);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string readFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

bool exists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ec));
}

static std::function<void()> whileWaiting;

void setWhileWaiting(std::function<void()> step) {
    whileWaiting = std::move(step);
}

bool waitUntil(const std::function<bool()>& done, int ms) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return done();
        if (whileWaiting)
            whileWaiting();
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

std::string binDir() {
    const char* dir = std::getenv("TNV_BIN_DIR");
    return dir ? dir : "bin";
}

int runCommand(const std::string& command, std::string* out) {
    FILE* p = popen(command.c_str(), "r");
    if (!p)
        return -1;
    std::string text;
    char buf[4096];
    std::size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0)
        text.append(buf, n);
    int status = pclose(p);
    if (out)
        *out = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int pdfPages(const std::string& pdf) {
    std::string out;
    runCommand("pdfinfo '" + pdf + "' 2>/dev/null", &out);
    std::size_t at = out.find("Pages:");
    return at == std::string::npos ? -1 : std::atoi(out.c_str() + at + 6);
}

std::string pdfText(const std::string& pdf) {
    std::string out;
    runCommand("pdftotext -layout '" + pdf + "' - 2>/dev/null", &out);
    return out;
}

bool endsInTime(const std::function<void()>& body) {
    pid_t pid = fork();
    if (pid == 0) {
        alarm(5);
        body();
        _exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace testsupport
