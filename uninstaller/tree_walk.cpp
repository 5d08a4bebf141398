// RemoveTree: the walk that empties and removes a folder. It keeps its way down on a stack of its
// own and one descriptor open, whatever the depth: a folder holding a chain of a hundred thousand
// folders is removed like any other, where a walk that recursed would run out of stack or of
// descriptors half-way. It climbs back by "..", checked against the folder it left, so a tree
// moved while it works is left where it is rather than followed.
#include "platform/base/fs.h"
#include "uninstaller/removal.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace tnv::uninstall {

namespace {

FileId idOf(const struct stat& st) {
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino), true};
}

using Inode = std::pair<std::uint64_t, std::uint64_t>; // device, inode

Inode inodeOf(const struct stat& st) {
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
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

// A mount point as /proc/self/mountinfo writes it: space, tab, line feed and backslash as \ooo.
std::string unescapedMountPoint(const std::string& escaped) {
    std::string point;
    for (std::size_t i = 0; i < escaped.size(); ++i) {
        if (escaped[i] == '\\' && i + 3 < escaped.size() && escaped[i + 1] >= '0' &&
            escaped[i + 1] <= '3') {
            point += static_cast<char>((escaped[i + 1] - '0') * 64 + (escaped[i + 2] - '0') * 8 +
                                       (escaped[i + 3] - '0'));
            i += 3;
        } else {
            point += escaped[i];
        }
    }
    return point;
}

// The folders mounted below `folder`, known by device and inode (the fallback for kernels that
// give no mount ids; a bind mount of the same file system has the same device).
std::set<Inode> mountsBelow(const std::string& folder) {
    std::set<Inode> mounts;
    std::string text;
    if (!fsx::readFile("/proc/self/mountinfo", text, 16u << 20))
        return mounts;
    const std::string prefix = folder.back() == '/' ? folder : folder + "/";
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        std::size_t field = 0, pos = 0; // the fifth field
        for (int i = 0; i < 4 && pos != std::string::npos; ++i) {
            pos = line.find(' ', pos);
            if (pos != std::string::npos)
                field = ++pos;
        }
        if (pos == std::string::npos)
            continue;
        std::string point = unescapedMountPoint(line.substr(field, line.find(' ', field) - field));
        struct stat st;
        if (point.rfind(prefix, 0) == 0 && ::lstat(point.c_str(), &st) == 0)
            mounts.insert(inodeOf(st));
    }
    return mounts;
}

// One folder on the way down, and what is left to do in it.
struct Level {
    std::string name; // in the folder above
    FileId id;
    std::vector<std::string> subfolders; // still to enter, in listing order
    std::size_t next = 0;
    bool clean = true; // nothing kept in it so far but (the folders leading to) the file in use
    bool holdsInUse = false;
};

class Walker {
public:
    Walker(const FileId& inUse, const struct stat& top, int topFd, const std::string& folder)
        : inUse_(inUse), device_(top.st_dev), mount_(mountIdOf(topFd)),
          mounts_(mountsBelow(folder)) {}

    TreeResult run(int fd, const struct stat& top);

private:
    Level enter(int fd, std::string name, const struct stat& st);
    int descend(int fd, Level& level);
    bool climb(int& fd, const Level& done);

    const FileId& inUse_;
    dev_t device_;
    std::uint64_t mount_;
    std::set<Inode> mounts_;
    std::vector<Level> stack_;
    TreeResult result_;
};

// Deletes the files of the open folder `fd` and lists its subfolders.
Level Walker::enter(int fd, std::string name, const struct stat& st) {
    Level level{std::move(name), idOf(st), {}, 0, true, false};
    int listFd = ::dup(fd);
    DIR* dir = listFd < 0 ? nullptr : ::fdopendir(listFd);
    if (!dir) {
        if (listFd >= 0)
            ::close(listFd);
        ++result_.failed, level.clean = false;
        return level;
    }
    std::vector<std::pair<std::string, bool>> entries; // name, is a folder
    while (dirent* e = ::readdir(dir)) {
        std::string entry = e->d_name;
        struct stat est;
        if (entry != "." && entry != ".." &&
            ::fstatat(fd, e->d_name, &est, AT_SYMLINK_NOFOLLOW) == 0) {
            if (!S_ISDIR(est.st_mode) && idOf(est) == inUse_)
                level.holdsInUse = true;
            else
                entries.emplace_back(std::move(entry), S_ISDIR(est.st_mode));
        }
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        return fsx::nameLess(fsx::fromDisk(a.first), fsx::fromDisk(b.first));
    });
    for (auto& [entry, isFolder] : entries) {
        if (!isFolder) {
            if (::unlinkat(fd, entry.c_str(), 0) != 0 && errno != ENOENT)
                ++result_.failed, level.clean = false;
        } else if (entry[0] == '.') {
            ++result_.hidden, level.clean = false;
        } else {
            level.subfolders.push_back(std::move(entry));
        }
    }
    return level;
}

// Opens the next subfolder of `level` that is ours to empty; -1 when none is left.
int Walker::descend(int fd, Level& level) {
    while (level.next < level.subfolders.size()) {
        const std::string& name = level.subfolders[level.next++];
        int sub = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (sub < 0) {
            if (errno != ENOENT)
                ++result_.failed, level.clean = false;
            continue;
        }
        struct stat st;
        if (::fstat(sub, &st) != 0 || st.st_dev != device_ || mountIdOf(sub) != mount_ ||
            mounts_.count(inodeOf(st))) {
            // Another file system, or a bind mount: never ours to empty.
            ::close(sub);
            ++result_.mounts, level.clean = false;
            continue;
        }
        stack_.push_back(enter(sub, name, st));
        return sub;
    }
    return -1;
}

// Goes up from the folder `done` (open as `fd`) to the folder it was entered from and removes it
// there. False when ".." is no longer that folder: the tree was moved meanwhile.
bool Walker::climb(int& fd, const Level& done) {
    Level& up = stack_.back();
    int parent = ::openat(fd, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat st;
    bool same = parent >= 0 && ::fstat(parent, &st) == 0 && idOf(st) == up.id;
    if (!same) {
        if (parent >= 0)
            ::close(parent);
        return false;
    }
    ::close(fd);
    fd = parent;
    up.holdsInUse = up.holdsInUse || done.holdsInUse;
    if (::unlinkat(fd, done.name.c_str(), AT_REMOVEDIR) != 0 && errno != ENOENT) {
        if (done.clean && !done.holdsInUse)
            ++result_.failed;
        if (!done.clean || !done.holdsInUse)
            up.clean = false;
    }
    return true;
}

TreeResult Walker::run(int fd, const struct stat& top) {
    stack_.push_back(enter(fd, "", top));
    while (!stack_.empty()) {
        int sub = descend(fd, stack_.back());
        if (sub >= 0) {
            ::close(fd);
            fd = sub;
            continue;
        }
        Level done = std::move(stack_.back());
        stack_.pop_back();
        if (stack_.empty()) {
            result_.holdsInUse = done.holdsInUse;
            break;
        }
        if (!climb(fd, done)) {
            // Everything still on the stack stays where it now is.
            ++result_.failed;
            break;
        }
    }
    ::close(fd);
    return result_;
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

} // namespace

TreeResult RemoveTree(const std::string& folder, const FileId& inUse) {
    TreeResult result;
    struct stat st;
    result.found = !folder.empty() && ::lstat(folder.c_str(), &st) == 0;
    if (!result.found)
        return result;
    int top = -1;
    {
        CurrentFolder remembered;
        // Exact comparison: a link on the way, or a name differing in letter case, is not it.
        if (::chdir(folder.c_str()) == 0 && CurrentFolder::read() == folder)
            top = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    }
    if (top < 0 || ::fstat(top, &st) != 0) {
        if (top >= 0)
            ::close(top);
        result.refused = true;
        return result;
    }
    result = Walker(inUse, st, top, folder).run(top, st);
    result.found = true;
    result.removed = ::rmdir(folder.c_str()) == 0;
    if (!result.removed && !result.holdsInUse && result.failed == 0 && result.hidden == 0 &&
        result.mounts == 0)
        ++result.failed;
    return result;
}

} // namespace tnv::uninstall
