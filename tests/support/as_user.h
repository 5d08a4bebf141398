// Runs part of a test as an ordinary user. The tests run as root, whom no permission refuses;
// what a permission must stop is tried in a child process that has dropped to nobody.
#pragma once

#include <cerrno>
#include <functional>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

constexpr uid_t kNobody = 65534;
constexpr int kCannotDrop = 125;

// Runs `body` in a child process as uid and gid 65534 (or as the user the test already runs as,
// when that is not root) and returns the child's exit status; -1 when no such child could run.
// `body` must not use the test framework's assertions: it reports through its result.
inline int runAsOrdinaryUser(const std::function<int()>& body) {
    pid_t pid = ::fork();
    if (pid < 0)
        return -1;
    if (pid == 0) {
        if (::geteuid() == 0) {
            gid_t gid = kNobody;
            if (::setgroups(1, &gid) != 0 || ::setresgid(kNobody, kNobody, kNobody) != 0 ||
                ::setresuid(kNobody, kNobody, kNobody) != 0)
                ::_exit(kCannotDrop);
        }
        ::_exit(body());
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0)
        if (errno != EINTR)
            return -1;
    return !WIFEXITED(status) ? -2 : WEXITSTATUS(status) == kCannotDrop ? -1 : WEXITSTATUS(status);
}

} // namespace testsupport
