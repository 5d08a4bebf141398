// Helpers shared by the test programs: temporary folders, whole-file reads and writes, waiting
// for a condition with a deadline.
#pragma once

#include <functional>
#include <string>

namespace testsupport {

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class TempDir {
public:
    // In `parent` instead when one is given.
    explicit TempDir(const std::string& parent = {});
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    // Creates the folder `rel` (and its parents) and returns its path.
    std::string mkdir(const std::string& rel) const;

private:
    std::string path_;
};

void writeFile(const std::string& path, const std::string& bytes);
std::string readFile(const std::string& path);
bool exists(const std::string& path);

// True once `done` holds; false when it still does not after `ms`. Between two looks the
// window tests' events run (their main() says how), so what a window does meanwhile happens.
[[nodiscard]] bool waitUntil(const std::function<bool()>& done, int ms = 5000);
// What runs between two looks of waitUntil: a short sleep unless set.
void setWhileWaiting(std::function<void()> step);

// The folder of the built programs, for tests that run them as processes.
std::string binDir();

// Runs a shell command; returns its exit status and its standard output in `out`.
int runCommand(const std::string& command, std::string* out = nullptr);

// A PDF file's number of pages (-1 when it is none) and its text laid out as on the page, as
// poppler's tools read them.
int pdfPages(const std::string& pdf);
std::string pdfText(const std::string& pdf);

// True when `body`, run in a child process, ends within five seconds without a failed
// expectation: something that would be waited on fails the test instead of stopping it.
bool endsInTime(const std::function<void()>& body);

} // namespace testsupport
