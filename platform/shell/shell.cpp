#include "platform/shell/shell.h"

#include "platform/base/fs.h"
#include "platform/base/msgbox.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tnv {

namespace shell {
namespace {

// The launcher itself could not be run.
constexpr int kExecFailed = 127;

// What the child processes need, prepared before fork: after it only async-signal-safe calls.
struct ExecPlan {
    std::string program;
    std::vector<std::string> args;
    std::vector<char*> argv;

    explicit ExecPlan(const std::vector<std::string>& a) : args(a) {
        program = args.empty() ? std::string() : fsx::findInPath(args.front());
        for (std::string& s : args)
            argv.push_back(s.data());
        argv.push_back(nullptr);
    }
};

void closeFrom(int first) {
#ifdef SYS_close_range
    if (::syscall(SYS_close_range, static_cast<unsigned>(first), ~0u, 0u) == 0)
        return;
#endif
    for (int fd = first; fd < 65536; ++fd)
        ::close(fd);
}

// In a freshly forked child: input from /dev/null, output discarded, default signals, only
// `keepFd` left open (moved to descriptor 3, closed on exec), then the program. Never returns.
[[noreturn]] void execHidden(const ExecPlan& plan, int keepFd) {
    int null = ::open("/dev/null", O_RDWR);
    if (null >= 0) {
        ::dup2(null, 0);
        ::dup2(null, 1);
        ::dup2(null, 2);
    }
    if (keepFd >= 0) {
        ::dup2(keepFd, 3);
        ::fcntl(3, F_SETFD, FD_CLOEXEC);
    }
    closeFrom(keepFd >= 0 ? 4 : 3);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    ::sigaction(SIGPIPE, &dfl, nullptr);
    ::sigaction(SIGCHLD, &dfl, nullptr);
    ::execve(plan.program.c_str(), plan.argv.data(), environ);
    int err = errno;
    if (keepFd >= 0)
        (void)!::write(3, &err, sizeof err);
    ::_exit(kExecFailed);
}

void waitChild(pid_t pid) {
    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
}

std::string errnoText(int err) {
    return std::strerror(err);
}

} // namespace

bool StartDetached(const std::vector<std::string>& argv, std::string* error) {
    auto fail = [&](const std::string& why) {
        if (error)
            *error = why;
        return false;
    };
    ExecPlan plan(argv);
    if (plan.program.empty())
        return fail(argv.empty() ? "nothing to start" : "cannot find the program " + argv.front());
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return fail("cannot start " + plan.program + ": " + errnoText(errno));
    pid_t first = ::fork();
    if (first < 0) {
        int err = errno;
        ::close(fds[0]);
        ::close(fds[1]);
        return fail("cannot start " + plan.program + ": " + errnoText(err));
    }
    if (first == 0) {
        // A new session: no controlling terminal, its own process group. The grandchild is
        // handed to init when this process ends at once, so it is never our zombie.
        ::close(fds[0]);
        ::setsid();
        pid_t second = ::fork();
        if (second < 0) {
            int err = errno;
            (void)!::write(fds[1], &err, sizeof err);
            ::_exit(kExecFailed);
        }
        if (second == 0)
            execHidden(plan, fds[1]);
        ::_exit(0);
    }
    ::close(fds[1]);
    waitChild(first);
    int err = 0;
    ssize_t n;
    while ((n = ::read(fds[0], &err, sizeof err)) < 0 && errno == EINTR) {
    }
    ::close(fds[0]);
    if (n == static_cast<ssize_t>(sizeof err))
        return fail("cannot start " + plan.program + ": " + errnoText(err));
    return true;
}

namespace {

// The launcher's verdict as the user reads it; empty for success.
std::string verdictText(int code, const std::string& shown) {
    switch (code) {
    case 0:
        return {};
    case 2:
        return "Cannot find '" + shown + "'. Make sure the name is correct, and then try again.";
    case 3:
        return "There is no program set to open '" + shown + "'.";
    case kExecFailed:
        return "Cannot open '" + shown + "': the desktop launcher could not be run.";
    default:
        return "Cannot open '" + shown + "': the program set for it failed to start.";
    }
}

} // namespace

PendingOpen::PendingOpen(int fd, std::string shown) : fd_(fd), shown_(std::move(shown)) {}

PendingOpen::~PendingOpen() {
    if (fd_ >= 0)
        ::close(fd_);
}

std::optional<bool> PendingOpen::check(std::string* error, int waitMs) {
    if (fd_ < 0) {
        if (error && !why_.empty())
            *error = why_;
        return done_;
    }
    pollfd pfd{fd_, POLLIN, 0};
    int ready;
    while ((ready = ::poll(&pfd, 1, waitMs)) < 0 && errno == EINTR) {
    }
    if (ready <= 0)
        return std::nullopt;
    int code = 0;
    ssize_t n;
    while ((n = ::read(fd_, &code, sizeof code)) < 0 && errno == EINTR) {
    }
    if (n != static_cast<ssize_t>(sizeof code))
        code = kExecFailed; // ended without a word: the launcher never ran
    ::close(fd_);
    fd_ = -1;
    why_ = verdictText(code, shown_);
    done_ = why_.empty();
    if (error && !why_.empty())
        *error = why_;
    return done_;
}

bool StartOpenDocument(const std::string& path, std::string* error,
                       std::unique_ptr<PendingOpen>* pending) {
    auto fail = [&](const std::string& why) {
        if (error)
            *error = why;
        return false;
    };
    std::string shown = fsx::fromDisk(path);
    struct stat st;
    if (path.empty() || ::stat(path.c_str(), &st) != 0)
        return fail(verdictText(2, shown));
    // A name that begins with '-' would be read as an option.
    std::string arg = path.front() == '-' ? "./" + path : path;
    ExecPlan plan({"xdg-open", arg});
    if (plan.program.empty())
        return fail("Cannot open '" + shown + "': no desktop launcher (xdg-open) is installed.");
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return fail("Cannot open '" + shown + "': " + errnoText(errno));
    pid_t first = ::fork();
    if (first < 0) {
        int err = errno;
        ::close(fds[0]);
        ::close(fds[1]);
        return fail("Cannot open '" + shown + "': " + errnoText(err));
    }
    if (first == 0) {
        // first: new session, ends at once. middle: orphaned, waits for the launcher and
        // reports its exit status through the pipe, so nobody is left a zombie of ours.
        ::close(fds[0]);
        ::setsid();
        pid_t middle = ::fork();
        if (middle != 0)
            ::_exit(0);
        ::signal(SIGPIPE, SIG_IGN);
        pid_t launcher = ::fork();
        if (launcher == 0)
            execHidden(plan, -1);
        int status = 0;
        int code = kExecFailed;
        if (launcher > 0) {
            while (::waitpid(launcher, &status, 0) < 0 && errno == EINTR) {
            }
            code = WIFEXITED(status) ? WEXITSTATUS(status) : kExecFailed;
        }
        (void)!::write(fds[1], &code, sizeof code);
        ::_exit(0);
    }
    ::close(fds[1]);
    waitChild(first);
    auto watch = std::make_unique<PendingOpen>(fds[0], shown);
    if (pending)
        *pending = std::move(watch);
    return true;
}

bool OpenDocument(const std::string& path, std::string* error, int waitMs) {
    std::unique_ptr<PendingOpen> pending;
    if (!StartOpenDocument(path, error, &pending))
        return false;
    // Done, or still busy starting the program after waitMs: success.
    return pending->check(error, waitMs).value_or(true);
}

bool OpenDocumentOrTell(const std::string& path) {
    std::string why;
    if (OpenDocument(path, &why))
        return true;
    MessageBox(why, "Open", MB_OK | MB_ICONERROR);
    return false;
}

std::string ApplicationsFolder() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && data[0] == '/')
        return fsx::joinPath(data, "applications");
    std::string home;
    if (const char* h = std::getenv("HOME"); h && h[0] == '/')
        home = h;
    else if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir && pw->pw_dir[0] == '/')
        home = pw->pw_dir;
    if (home.empty())
        return {};
    return fsx::joinPath(home, ".local/share/applications");
}

std::string TempFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string folder = tmp && tmp[0] ? tmp : "/tmp";
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

} // namespace shell

} // namespace tnv
