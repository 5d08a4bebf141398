#include "platform/shell/shell.h"
#include "uninstaller/removal.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace tnv::uninstall {

namespace {

// A word for sh that means exactly `text`, whatever bytes it holds.
std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

// Runs `action` on `var` until the path is gone, at most `seconds` + 1 times, a second apart.
std::string retryLoop(const std::string& var, const std::string& action, int seconds) {
    std::string exists = "{ [ -e \"$" + var + "\" ] || [ -L \"$" + var + "\" ]; }";
    return "tries=0\n"
           "while " +
           exists + " && [ \"$tries\" -le " + std::to_string(seconds) +
           " ]; do\n"
           "    [ \"$tries\" -gt 0 ] && sleep 1\n"
           "    " +
           action + " \"$" + var +
           "\"\n"
           "    tries=$((tries + 1))\n"
           "done\n";
}

// A path as /proc/self/mountinfo writes it: space, tab, line feed and backslash as \ooo.
std::string mountinfoEscaped(const std::string& path) {
    std::string out;
    for (char c : path) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\\') {
            unsigned char u = static_cast<unsigned char>(c);
            out += '\\';
            out += static_cast<char>('0' + (u >> 6));
            out += static_cast<char>('0' + ((u >> 3) & 7));
            out += static_cast<char>('0' + (u & 7));
        } else {
            out += c;
        }
    }
    return out;
}

bool writeAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

std::string SelfRemovalScript(const RemovalPlan& plan, const ScriptTiming& timing) {
    std::string text =
        "#!/bin/sh\n"
        "# Takes Uninstall Tarnavel and its folder away once the program has ended,\n"
        "# then this script. Every wait is bounded.\n"
        "cd /\n"
        "script=" +
        quoted(plan.scriptPath) + "\n";
    if (!plan.selfFolder.empty()) {
        text += "program=" + quoted(plan.selfProgram) + "\n" + "folder=" + quoted(plan.selfFolder) +
                "\n" + "pid=" + std::to_string(plan.pid) + "\n" +
                "waited=0\n"
                "while [ \"$waited\" -lt " +
                std::to_string(timing.programWaitSeconds) +
                " ] && kill -0 \"$pid\" 2>/dev/null; do\n"
                "    sleep 1\n"
                "    waited=$((waited + 1))\n"
                "done\n" +
                retryLoop("program", "rm -f --", timing.retrySeconds) +
                // The folder goes with what the program kept in it (folders whose name begins
                // with '.'), unless something is mounted at or below it: then it may only be
                // removed empty, so that nothing is ever taken from another file system or from
                // a bind mount. rm never follows a link.
                "mountpoint=" + quoted(mountinfoEscaped(plan.selfFolder)) +
                "\n"
                "holds_mount() {\n"
                "    [ -r /proc/self/mountinfo ] || return 0\n"
                "    while read -r _ _ _ _ point _; do\n"
                "        case \"$point\" in \"$mountpoint\" | \"$mountpoint\"/*) return 0 ;; esac\n"
                "    done </proc/self/mountinfo\n"
                "    return 1\n"
                "}\n" +
                retryLoop("folder",
                          "if holds_mount; then rmdir -- \"$folder\" 2>/dev/null; break; fi; "
                          "rm -rf --",
                          timing.retrySeconds);
    }
    text += "rm -f -- \"$script\"\n";
    return text;
}

bool StartScriptDetached(const std::string& scriptPath) {
    return shell::StartDetached({"/bin/sh", scriptPath});
}

bool WriteSelfRemovalScript(const RemovalPlan& plan, const ScriptStarter& start,
                            const ScriptTiming& timing) {
    const std::string suffix = ".sh";
    const std::string& pattern = plan.scriptPath;
    if (!plan.refusal.empty() || pattern.size() < suffix.size() + 6 ||
        pattern.compare(pattern.size() - suffix.size(), suffix.size(), suffix) != 0)
        return false;
    // A name of its own, made exclusively: in a shared temporary folder, a file or link someone
    // else put there is neither written through nor run, nor in the way.
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int fd = ::mkostemps(name.data(), static_cast<int>(suffix.size()), O_CLOEXEC);
    if (fd < 0)
        return false;
    RemovalPlan own = plan;
    own.scriptPath = name.data();
    bool written = writeAll(fd, SelfRemovalScript(own, timing));
    written = ::close(fd) == 0 && written;
    if (written && start && start(own.scriptPath))
        return true;
    ::unlink(own.scriptPath.c_str()); // half a script must never run
    return false;
}

} // namespace tnv::uninstall
