#include "uninstaller/removal.h"

#include "finder/finder.h"
#include "platform/fs.h"
#include "platform/shell.h"
#include "uninstaller/menu_removal.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace uninst {
namespace {

struct Entry {
    std::string name;
    struct stat st;
};

// The entries of an open folder in the order the Windows file system lists them, each with its
// own status (a link is a link, not what it points to).
std::vector<Entry> listEntries(int dirFd) {
    std::vector<Entry> entries;
    int fd = ::dup(dirFd);
    if (fd < 0)
        return entries;
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return entries;
    }
    ::rewinddir(dir);
    while (dirent* e = ::readdir(dir)) {
        std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        Entry entry{name, {}};
        if (::fstatat(dirFd, e->d_name, &entry.st, AT_SYMLINK_NOFOLLOW) == 0)
            entries.push_back(std::move(entry));
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return fsx::nameLess(fsx::fromDisk(a.name), fsx::fromDisk(b.name));
    });
    return entries;
}

bool sameFile(const struct stat& st, const FileId& id) {
    return id.valid && static_cast<std::uint64_t>(st.st_dev) == id.device &&
           static_cast<std::uint64_t>(st.st_ino) == id.inode;
}

// The mount a folder belongs to; 0 when the system cannot tell.
std::uint64_t mountIdOf(int dirFd) {
#ifdef STATX_MNT_ID
    struct statx stx;
    if (::statx(dirFd, "", AT_EMPTY_PATH | AT_SYMLINK_NOFOLLOW, STATX_MNT_ID, &stx) == 0 &&
        (stx.stx_mask & STATX_MNT_ID))
        return stx.stx_mnt_id;
#else
    (void)dirFd;
#endif
    return 0;
}

// Every mount point of this process, as the system lists them (the fallback for kernels that do
// not give mount ids).
std::set<std::string> mountPoints() {
    std::set<std::string> points;
    std::string text;
    if (!fsx::readFile("/proc/self/mountinfo", text, 16u << 20))
        return points;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        // The fifth field, with space, tab, line feed and backslash written as \ooo.
        std::size_t field = 0, pos = 0;
        for (int i = 0; i < 4 && pos != std::string::npos; ++i) {
            pos = line.find(' ', pos);
            if (pos != std::string::npos)
                field = ++pos;
        }
        if (pos == std::string::npos)
            continue;
        std::string escaped = line.substr(field, line.find(' ', field) - field), point;
        for (std::size_t i = 0; i < escaped.size(); ++i) {
            if (escaped[i] == '\\' && i + 3 < escaped.size() && escaped[i + 1] >= '0' &&
                escaped[i + 1] <= '3') {
                point += static_cast<char>((escaped[i + 1] - '0') * 64 +
                                           (escaped[i + 2] - '0') * 8 + (escaped[i + 3] - '0'));
                i += 3;
            } else {
                point += escaped[i];
            }
        }
        points.insert(point);
    }
    return points;
}

struct Walk {
    const FileId& inUse;
    std::set<std::string> mounts;
    TreeResult result;
};

// Empties an open folder at `path`, entering only subfolders of the same mount. True when the
// folder now holds nothing but (the folders leading to) the file in use.
bool removeContents(int dirFd, const std::string& path, dev_t device, std::uint64_t mount,
                    Walk& walk) {
    bool clean = true;
    for (const Entry& e : listEntries(dirFd)) {
        if (S_ISDIR(e.st.st_mode))
            continue;
        if (sameFile(e.st, walk.inUse)) {
            walk.result.holdsInUse = true;
            continue;
        }
        if (::unlinkat(dirFd, e.name.c_str(), 0) != 0 && errno != ENOENT)
            ++walk.result.failed, clean = false;
    }
    for (const Entry& e : listEntries(dirFd)) {
        if (!S_ISDIR(e.st.st_mode))
            continue;
        if (e.name[0] == '.') {
            ++walk.result.hidden, clean = false;
            continue;
        }
        std::string subPath = path + "/" + e.name;
        int sub = ::openat(dirFd, e.name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (sub < 0) {
            if (errno != ENOENT)
                ++walk.result.failed, clean = false;
            continue;
        }
        struct stat st;
        std::uint64_t subMount = mountIdOf(sub);
        if (::fstat(sub, &st) != 0 || st.st_dev != device || subMount != mount ||
            walk.mounts.count(subPath)) {
            // Another file system, or a bind mount: never ours to empty.
            ::close(sub);
            ++walk.result.mounts, clean = false;
            continue;
        }
        bool holdsInUse = walk.result.holdsInUse;
        walk.result.holdsInUse = false;
        bool subClean = removeContents(sub, subPath, device, mount, walk);
        ::close(sub);
        bool inUseBelow = walk.result.holdsInUse;
        walk.result.holdsInUse = holdsInUse || inUseBelow;
        if (::unlinkat(dirFd, e.name.c_str(), AT_REMOVEDIR) != 0 && errno != ENOENT) {
            if (subClean && !inUseBelow)
                ++walk.result.failed;
            if (!subClean || !inUseBelow)
                clean = false;
        }
    }
    return clean;
}

// The current folder, kept so that it can be made current again.
class CurrentFolder {
public:
    CurrentFolder() {
        fd_ = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
#ifdef O_PATH
        if (fd_ < 0)
            fd_ = ::open(".", O_PATH | O_DIRECTORY | O_CLOEXEC);
#endif
        if (fd_ < 0)
            path_ = read();
    }
    ~CurrentFolder() {
        if (fd_ >= 0 && ::fchdir(fd_) == 0) {
            ::close(fd_);
            return;
        }
        if (fd_ >= 0)
            ::close(fd_);
        if (path_.empty() || ::chdir(path_.c_str()) != 0)
            (void)!::chdir("/");
    }
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;

    static std::string read() {
        std::string path;
        if (char* cwd = ::getcwd(nullptr, 0)) {
            path = cwd;
            std::free(cwd);
        }
        return path;
    }

private:
    int fd_ = -1;
    std::string path_;
};

std::string canonical(const std::string& path) {
    std::string out;
    if (char* real = ::realpath(path.c_str(), nullptr)) {
        out = real;
        std::free(real);
    }
    return out;
}

std::string joined(const std::string& folder, const std::string& name) {
    return !folder.empty() && folder.back() == '/' ? folder + name : folder + "/" + name;
}

bool isLink(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

// A folder of the simulator's own (Flights, Gauges, Modules): where the simulator keeps those
// files, so a link to a folder is followed. No separator at the end.
std::string simulatorFolder(const std::string& simFolder, const std::string& name) {
    std::string path = FindEntry(simFolder, name);
    if (isLink(path) && fsx::isDirectory(path)) {
        std::string real = canonical(path);
        if (!real.empty())
            return real;
    }
    return path;
}

// Whether an unlink that failed with `err` left something behind.
bool leftBehind(int err) {
    return err != ENOENT && err != ENOTDIR;
}

// Deletes the files of an open folder, links as links; folders stay. Returns how many stayed.
int deleteFilesAt(int dirFd) {
    int failed = 0;
    for (const Entry& e : listEntries(dirFd))
        if (!S_ISDIR(e.st.st_mode) && ::unlinkat(dirFd, e.name.c_str(), 0) != 0 &&
            leftBehind(errno))
            ++failed;
    return failed;
}

// Opens the menu group `name` in an open folder. A link there is deleted as a link, and -1 is
// returned, as it is when there is no such folder.
int openGroup(int parentFd, const char* name) {
    struct stat st;
    if (::fstatat(parentFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return -1;
    if (S_ISLNK(st.st_mode)) {
        ::unlinkat(parentFd, name, 0);
        return -1;
    }
    return ::openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

} // namespace

FileId FileId::of(const std::string& path) {
    struct stat st;
    if (path.empty() || ::lstat(path.c_str(), &st) != 0)
        return {};
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino), true};
}

Environment CurrentEnvironment(const char* argv0) {
    Environment env;
    env.programPath = fsx::programPath(argv0);
    env.programsFolder = shell::ApplicationsFolder();
    env.tempFolder = shell::TempFolder();
    if (const char* home = std::getenv("HOME"); home && *home)
        env.homeFolder = home;
    else if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir)
        env.homeFolder = pw->pw_dir;
    env.pid = static_cast<long>(::getpid());
    std::string exe = canonical("/proc/self/exe"); // gone when the file was deleted
    if (!exe.empty() && fsx::isFile(exe))
        env.realProgramPath = exe;
    finder::Environment user = finder::Environment::FromProcess();
    env.dataHome = user.dataHome;
    env.configHome = user.configHome;
    return env;
}

std::string SimFolderOf(const std::string& programPath) {
    std::string folder = fsx::parentFolder(fsx::parentFolder(programPath));
    if (folder.empty())
        return "/";
    std::string real = canonical(folder);
    if (!real.empty())
        folder = real;
    return folder.back() == '/' ? folder : folder + '/';
}

std::string AddonSimFolder(const std::string& programPath) {
    std::string own = fsx::parentFolder(programPath);
    if (own.empty() || !fsx::equalNoCase(fsx::fromDisk(fsx::lastComponent(own)), "Tarnavel"))
        return {};
    std::string sim = SimFolderOf(programPath);
    return fsx::isDirectory(FindEntry(sim, "Aircraft")) ? sim : std::string();
}

std::string FindEntry(const std::string& folder, const std::string& name) {
    std::string exact = joined(folder, name);
    struct stat st;
    if (::lstat(exact.c_str(), &st) == 0 || errno != ENOENT)
        return exact;
    std::vector<std::string> matches;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (dirent* e = ::readdir(dir))
            if (fsx::equalNoCase(fsx::fromDisk(e->d_name), name))
                matches.push_back(e->d_name);
        ::closedir(dir);
    }
    if (matches.empty())
        return exact;
    return joined(folder, *std::min_element(matches.begin(), matches.end(),
                                            [](const std::string& a, const std::string& b) {
                                                return fsx::nameLess(fsx::fromDisk(a),
                                                                     fsx::fromDisk(b));
                                            }));
}

RemovalPlan MakePlan(const Environment& env) {
    RemovalPlan plan;
    // The path it was started by, so that a link in the add-on's folder works; else the file
    // itself, so that a desktop link to it works. Anywhere else the folders two levels up are
    // somebody's own (a home folder, say), never the simulator's.
    std::string program = env.programPath;
    std::string sim = AddonSimFolder(program);
    if (sim.empty() && !env.realProgramPath.empty() && env.realProgramPath != program) {
        program = env.realProgramPath;
        sim = AddonSimFolder(program);
    }
    if (sim.empty()) {
        std::string where = "'" + fsx::parentFolder(env.programPath) + "'";
        if (!env.realProgramPath.empty() &&
            fsx::parentFolder(env.realProgramPath) != fsx::parentFolder(env.programPath))
            where += " (the program file is in '" + fsx::parentFolder(env.realProgramPath) + "')";
        plan.refusal = "the uninstaller is not in the Tarnavel folder of a simulator (a folder "
                       "named Tarnavel beside an Aircraft folder): it runs from " +
                       where + "; nothing was removed";
        return plan;
    }
    plan.simFolder = sim;
    plan.addonFolder = FindEntry(sim, "Tarnavel");
    plan.flightsFolder = FindEntry(simulatorFolder(sim, "Flights"), "Tarnavel");
    plan.gaugeFile = FindEntry(simulatorFolder(sim, "Gauges"), "Tarnavel2004.gau");
    plan.moduleFile = FindEntry(simulatorFolder(sim, "Modules"), "Tarnavel.dll");
    PlanMenuRemoval(env, plan);
    plan.scriptPath = fsx::joinPath(env.tempFolder.empty() ? "/tmp" : env.tempFolder, kScriptName);
    plan.inUse = FileId::of(program);
    plan.pid = env.pid;

    // The script takes the uninstaller's folder away only when that is the add-on's folder:
    // never a folder reached through a link, nor the home folder or one holding it.
    std::string ownFolder = canonical(fsx::parentFolder(program));
    std::string home = env.homeFolder.empty() ? std::string() : canonical(env.homeFolder);
    bool holdsHome =
        !home.empty() && (home == plan.addonFolder || home.rfind(plan.addonFolder + "/", 0) == 0);
    if (!ownFolder.empty() && ownFolder == plan.addonFolder && !isLink(plan.addonFolder) &&
        !holdsHome) {
        plan.selfFolder = plan.addonFolder;
        plan.selfProgram = plan.addonFolder + "/" + fsx::lastComponent(program);
    }
    return plan;
}

std::vector<std::string> PlanPaths(const RemovalPlan& plan) {
    if (!plan.refusal.empty())
        return {};
    std::vector<std::string> paths{plan.addonFolder, plan.flightsFolder, plan.gaugeFile,
                                   plan.moduleFile};
    paths.insert(paths.end(), plan.menuFiles.begin(), plan.menuFiles.end());
    if (!plan.menuToolsFolder.empty()) {
        paths.push_back(plan.menuToolsFolder);
        paths.push_back(plan.menuGroupFolder);
    }
    if (!plan.registrationFile.empty())
        paths.push_back(plan.registrationFile);
    paths.push_back(plan.scriptPath);
    if (!plan.selfFolder.empty()) {
        paths.push_back(plan.selfProgram);
        paths.push_back(plan.selfFolder);
    }
    return paths;
}

std::string PrintablePath(const std::string& path) {
    auto control = [](unsigned char c) { return c < 0x20 || c == 0x7f; };
    if (std::none_of(path.begin(), path.end(), [&](char c) { return control(c); }))
        return path;
    std::string out;
    bool inQuote = false, inDollar = false;
    for (char ch : path) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (control(c)) {
            if (inQuote)
                out += '\'', inQuote = false;
            if (!inDollar)
                out += "$'", inDollar = true;
            switch (c) {
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\a':
                out += "\\a";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\f':
                out += "\\f";
                break;
            case '\v':
                out += "\\v";
                break;
            default:
                out += '\\';
                out += static_cast<char>('0' + (c >> 6));
                out += static_cast<char>('0' + ((c >> 3) & 7));
                out += static_cast<char>('0' + (c & 7));
            }
            continue;
        }
        if (inDollar)
            out += '\'', inDollar = false;
        if (c == '\'') {
            if (inQuote)
                out += '\'', inQuote = false;
            out += "\\'";
            continue;
        }
        if (!inQuote)
            out += '\'', inQuote = true;
        out += ch;
    }
    if (inQuote || inDollar)
        out += '\'';
    return out;
}

TreeResult RemoveTree(const std::string& folder, const FileId& inUse) {
    Walk walk{inUse, mountPoints(), {}};
    struct stat st;
    walk.result.found = !folder.empty() && ::lstat(folder.c_str(), &st) == 0;
    if (!walk.result.found)
        return walk.result;
    int top = -1;
    {
        CurrentFolder remembered;
        // Exact comparison: a link on the way, or a name differing in letter case, is not it.
        if (::chdir(folder.c_str()) == 0 && CurrentFolder::read() == folder)
            top = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    }
    if (top < 0) {
        walk.result.refused = true;
        return walk.result;
    }
    if (::fstat(top, &st) == 0)
        removeContents(top, folder, st.st_dev, mountIdOf(top), walk);
    ::close(top);
    walk.result.removed = ::rmdir(folder.c_str()) == 0;
    if (!walk.result.removed && !walk.result.holdsInUse && walk.result.failed == 0 &&
        walk.result.hidden == 0 && walk.result.mounts == 0)
        ++walk.result.failed;
    return walk.result;
}

int DeleteFilesIn(const std::string& folder) {
    int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (dirFd < 0)
        return 0;
    int failed = deleteFilesAt(dirFd);
    ::close(dirFd);
    return failed;
}

int RemoveStartMenuGroup(const std::string& programsFolder) {
    if (programsFolder.empty())
        return 0;
    // The menu folder itself is the desktop's and may be a link; below it, a group that is a link
    // is deleted as a link, and nothing is reached through one.
    int appsFd = ::open(programsFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (appsFd < 0)
        return 0;
    int failed = 0;
    int groupFd = openGroup(appsFd, "Tarnavel");
    if (groupFd >= 0) {
        int toolsFd = openGroup(groupFd, "Tools");
        if (toolsFd >= 0) {
            failed += deleteFilesAt(toolsFd);
            ::close(toolsFd);
            ::unlinkat(groupFd, "Tools", AT_REMOVEDIR);
        }
        failed += deleteFilesAt(groupFd);
        ::close(groupFd);
        ::unlinkat(appsFd, "Tarnavel", AT_REMOVEDIR);
    }
    ::close(appsFd);
    return failed;
}

Outcome RunRemoval(const Environment& env, RemovalView& view, const ScriptStarter& start,
                   const ScriptTiming& timing) {
    RemovalPlan plan = MakePlan(env);
    if (!plan.refusal.empty()) {
        view.DisableUninstall();
        view.ShowLabel(kRefusedText);
        return Outcome::Refused;
    }
    view.DisableUninstall();
    view.ShowLabel(kRemovingText);
    TreeResult addon = RemoveTree(plan.addonFolder, plan.inUse);
    TreeResult flights = RemoveTree(plan.flightsFolder, plan.inUse);
    bool left = flights.refused || flights.failed || flights.hidden || flights.mounts ||
                (flights.found && !flights.removed);
    for (const std::string& file : {plan.gaugeFile, plan.moduleFile})
        if (::unlink(file.c_str()) != 0 && leftBehind(errno))
            left = true;
    left = RemoveMenuEntries(env, plan) > 0 || left;
    bool scriptStarted = WriteSelfRemovalScript(plan, start, timing);
    // What stays in the add-on's folder is the script's to take when it runs from there.
    bool scriptTakesAddon = scriptStarted && plan.selfFolder == plan.addonFolder;
    left = left || addon.refused || addon.failed || addon.mounts ||
           (addon.found && !addon.removed && !scriptTakesAddon) ||
           (addon.hidden && !scriptTakesAddon) || (!plan.selfFolder.empty() && !scriptStarted);
    view.ShowFinish();
    view.ShowLabel(left ? kLeftText : kDoneText);
    return left ? Outcome::Left : Outcome::Completed;
}

} // namespace uninst
