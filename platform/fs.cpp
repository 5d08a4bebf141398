#include "platform/fs.h"

#include "platform/codepage.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fsx {
namespace {

unsigned char foldUpper(unsigned char c) {
    if (c >= 'a' && c <= 'z')
        return static_cast<unsigned char>(c - 32);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return static_cast<unsigned char>(c - 32);
    return c;
}

bool isValidUtf8(std::string_view s, bool& allRepresentable) {
    allRepresentable = true;
    std::size_t pos = 0;
    while (pos < s.size()) {
        char32_t cp;
        if (!cp1252::decodeUtf8(s, pos, cp))
            return false;
        if (cp1252::fromUnicode(cp) < 0)
            allRepresentable = false;
    }
    return true;
}

} // namespace

bool nameLess(std::string_view a, std::string_view b) {
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char x = foldUpper(static_cast<unsigned char>(a[i]));
        unsigned char y = foldUpper(static_cast<unsigned char>(b[i]));
        if (x != y)
            return x < y;
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return a < b;
}

bool equalNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (foldUpper(static_cast<unsigned char>(a[i])) !=
            foldUpper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool hasExtension(std::string_view name, std::string_view ext) {
    return name.size() >= ext.size() && equalNoCase(name.substr(name.size() - ext.size()), ext);
}

std::string joinPath(const std::string& folder, const std::string& name) {
    // Appended piece by piece: gcc 12 at -O3 sees overlapping copies in `a + b + c` that are not.
    std::string path;
    path.reserve(folder.size() + 1 + name.size());
    path.append(folder);
    if (!folder.empty() && folder.back() != kSeparator)
        path.push_back(kSeparator);
    path.append(name);
    return path;
}

std::string lastComponent(const std::string& path) {
    auto pos = path.find_last_of(kSeparator);
    return pos == std::string::npos ? path : path.substr(pos + 1);
}

std::string parentFolder(const std::string& path) {
    auto pos = path.find_last_of(kSeparator);
    return pos == std::string::npos ? std::string() : path.substr(0, pos);
}

std::string fromDisk(const std::string& diskName) {
    if (std::all_of(diskName.begin(), diskName.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return diskName; // ASCII reads the same in both
    std::string out;
    if (cp1252::fromUtf8(diskName, out))
        return out;
    return diskName;
}

std::string toDisk(const std::string& name) {
    bool representable = true;
    if (isValidUtf8(name, representable) && !representable)
        return name; // a disk name that passed through unchanged
    return cp1252::toUtf8(name);
}

std::vector<DirEntry> listFolder(const std::string& folder, std::size_t limit) {
    std::vector<DirEntry> entries;
    DIR* dir = opendir(toDisk(folder).c_str());
    if (!dir)
        return entries;
    while (entries.size() < limit) {
        errno = 0;
        dirent* e = readdir(dir);
        if (!e)
            break;
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0)
            continue;
        DirEntry entry;
        entry.diskName = e->d_name;
        entry.name = fromDisk(entry.diskName);
        if (e->d_type == DT_DIR) {
            entry.isDir = true;
        } else if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) {
            struct stat st;
            std::string full = joinPath(toDisk(folder), entry.diskName);
            entry.isDir = ::stat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        }
        entries.push_back(std::move(entry));
    }
    closedir(dir);
    // In nameLess's order: the names folded, then as they are; each name folded once, and the
    // entries moved once, when their order is known.
    std::vector<std::string> keys(entries.size());
    std::vector<std::uint32_t> order(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        keys[i] = entries[i].name;
        for (char& c : keys[i])
            c = static_cast<char>(foldUpper(static_cast<unsigned char>(c)));
        order[i] = static_cast<std::uint32_t>(i);
    }
    std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        const int byKey = keys[a].compare(keys[b]);
        return byKey != 0 ? byKey < 0 : entries[a].name < entries[b].name;
    });
    std::vector<DirEntry> sorted;
    sorted.reserve(entries.size());
    for (std::uint32_t i : order)
        sorted.push_back(std::move(entries[i]));
    entries = std::move(sorted);
    return entries;
}

bool isDirectory(const std::string& diskPath) {
    struct stat st;
    return ::stat(diskPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isFile(const std::string& diskPath) {
    struct stat st;
    return ::stat(diskPath.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string resolve(const std::string& folder, const std::string& name) {
    std::string diskFolder = toDisk(folder);
    std::string exact = joinPath(diskFolder, toDisk(name));
    struct stat st;
    if (::lstat(exact.c_str(), &st) == 0)
        return exact;
    for (const DirEntry& e : listFolder(folder))
        if (equalNoCase(e.name, name))
            return joinPath(diskFolder, e.diskName);
    return exact;
}

std::string resolvePath(const std::string& path) {
    if (path.empty())
        return path;
    std::size_t start = path.front() == kSeparator ? 1 : 0;
    std::string folder8 = start ? "/" : ""; // 8-bit view of the resolved folder so far
    while (start <= path.size()) {
        std::size_t end = path.find(kSeparator, start);
        if (end == std::string::npos)
            end = path.size();
        std::string part = path.substr(start, end - start);
        if (!part.empty()) {
            std::string resolved = resolve(folder8.empty() ? "." : folder8, part);
            std::string name = lastComponent(resolved);
            folder8 = joinPath(folder8, fromDisk(name));
        }
        start = end + 1;
    }
    return toDisk(folder8);
}

std::string currentFolder() {
    std::error_code ec;
    auto p = std::filesystem::current_path(ec);
    return ec ? std::string(".") : p.string();
}

std::string findInPath(const std::string& name) {
    if (name.empty() || name.find(kSeparator) != std::string::npos)
        return name;
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos)
            end = dirs.size();
        // An empty entry means the current folder.
        std::string candidate = joinPath(end > start ? dirs.substr(start, end - start) : ".", name);
        if (::access(candidate.c_str(), X_OK) == 0 && isFile(candidate))
            return candidate;
        start = end + 1;
    }
    return {};
}

std::string programPath(const char* argv0) {
    std::string arg = argv0 ? argv0 : "";
    // A bare name was found through PATH, as the shell did.
    if (std::string found = findInPath(arg); !found.empty())
        arg = found;
    std::filesystem::path p(arg);
    if (p.is_relative())
        p = std::filesystem::path(currentFolder()) / p;
    return p.lexically_normal().string();
}

int openRegularFileAt(int dirFd, const std::string& path, std::uint64_t* size) {
    // O_NONBLOCK: opening a FIFO without a writer would wait for one.
    int fd = ::openat(dirFd, path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        int err = ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        errno = err;
        return -1;
    }
    // A regular file reads the same with O_NONBLOCK set, so it stays: two calls fewer a file
    // when thousands of aircraft.cfg files are read.
    if (size)
        *size = static_cast<std::uint64_t>(st.st_size);
    return fd;
}

int openRegularFile(const std::string& diskPath) {
    return openRegularFileAt(AT_FDCWD, diskPath);
}

std::FILE* openRegularStream(const std::string& diskPath) {
    int fd = openRegularFile(diskPath);
    if (fd < 0)
        return nullptr;
    std::FILE* f = ::fdopen(fd, "rb");
    if (!f)
        ::close(fd);
    return f;
}

bool readFile(const std::string& diskPath, std::string& out, std::size_t limit) {
    out.clear();
    FILE* f = openRegularStream(diskPath);
    if (!f)
        return false;
    char buf[65536];
    while (out.size() < limit) {
        std::size_t want = std::min(sizeof buf, limit - out.size());
        std::size_t got = std::fread(buf, 1, want, f);
        out.append(buf, got);
        if (got < want)
            break;
    }
    std::fclose(f);
    return true;
}

namespace {
WriteStatus injectedStage = WriteStatus::Written;
int injectedErrno = 0;

WriteStatus failed(WriteStatus status, std::string* error, const std::string& what, int err) {
    if (error)
        *error = what + ": " + std::strerror(err);
    return status;
}

// Writes all of `data` at `offset`; the injected write failure applies when `injectable`.
bool writeAll(int fd, std::string_view data, off_t offset, bool injectable, int& err) {
    if (injectable && injectedStage == WriteStatus::CannotWrite) {
        err = injectedErrno;
        return false;
    }
    std::size_t done = 0;
    while (done < data.size()) {
        ssize_t n =
            ::pwrite(fd, data.data() + done, data.size() - done, offset + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            err = n < 0 ? errno : ENOSPC;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool readAll(int fd, std::string& out, int& err) {
    out.clear();
    char buf[65536];
    for (;;) {
        ssize_t n = ::pread(fd, buf, sizeof buf, static_cast<off_t>(out.size()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            err = errno;
            return false;
        }
        if (n == 0)
            return true;
        out.append(buf, static_cast<std::size_t>(n));
    }
}

std::string folderOf(const std::string& path) {
    auto cut = path.find_last_of(kSeparator);
    return cut == std::string::npos ? std::string(".")
           : cut == 0               ? std::string(1, kSeparator)
                                    : path.substr(0, cut);
}

// The file a path finally names, following symbolic links (a link's relative target counts from
// the link's own folder). The result may not exist yet: a dangling link names where to create.
bool finalTarget(const std::string& path, std::string& out, int& err) {
    std::string p = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            out = p;
            return true;
        }
        std::vector<char> buf(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
        ssize_t n = ::readlink(p.c_str(), buf.data(), buf.size());
        if (n < 0) {
            err = errno;
            return false;
        }
        if (static_cast<std::size_t>(n) >= buf.size()) { // the link grew meanwhile: read again
            continue;
        }
        std::string link(buf.data(), static_cast<std::size_t>(n));
        p = link.front() == kSeparator ? link : joinPath(folderOf(p), link);
    }
    err = ELOOP;
    return false;
}

// Copies all that `in` holds into `out`.
bool copyAll(int in, int out, int& err) {
    char buf[65536];
    for (off_t at = 0;;) {
        ssize_t n = ::pread(in, buf, sizeof buf, at);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            err = errno;
            return false;
        }
        if (n == 0)
            return true;
        if (!writeAll(out, std::string_view(buf, static_cast<std::size_t>(n)), at, false, err))
            return false;
        at += n;
    }
}

// Keeps a copy of all that `fd` holds under a name made from `pattern`, in its folder. The bytes
// go to a hidden ".part" file first and are synced before it takes its name, so a copy under
// that name is always whole. Its path in `copy`.
bool keepCopy(int fd, const std::string& pattern, std::string& copy, int& err) {
    std::string folder = folderOf(pattern), name = lastComponent(pattern);
    std::size_t x = name.rfind("XXXXXX");
    if (x == std::string::npos) {
        err = EINVAL;
        return false;
    }
    std::string part = "." + name + ".part";
    int suffix = static_cast<int>(part.size() - (x + 1 + 6));
    std::string tmpl = joinPath(folder, part);
    std::vector<char> buf;
    auto make = [&] { // a failed try leaves the template changed
        buf.assign(tmpl.begin(), tmpl.end());
        buf.push_back('\0');
        return ::mkostemps(buf.data(), suffix, O_CLOEXEC);
    };
    int out = make();
    if (out < 0 && errno == ENOENT && makeFolders(folder, 0700))
        out = make();
    if (out < 0) {
        err = errno;
        return false;
    }
    part = buf.data();
    bool ok = copyAll(fd, out, err) && ::fsync(out) == 0;
    if (!ok && err == 0)
        err = errno;
    if (::close(out) != 0 && ok)
        ok = false, err = errno;
    std::string shown = lastComponent(part);
    copy = joinPath(folder, shown.substr(1, shown.size() - 1 - 5)); // without "." and ".part"
    // Never over another copy: link, which refuses a name that is taken, where it works.
    if (ok && ::link(part.c_str(), copy.c_str()) != 0 &&
        (errno == EEXIST || ::rename(part.c_str(), copy.c_str()) != 0))
        ok = false, err = errno;
    ::unlink(part.c_str());
    if (!ok) {
        copy.clear();
        return false;
    }
    int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ok = dir >= 0 && ::fsync(dir) == 0;
    if (!ok)
        err = errno;
    if (dir >= 0)
        ::close(dir);
    if (!ok) {
        ::unlink(copy.c_str());
        copy.clear();
    }
    return ok;
}

// Rewrites the content of the regular file `path` (the same file `st` describes) in place, so that
// its owner, its mode and every hard link to it stay. The old bytes are kept first, in memory or
// in a copy made from `copyPattern`, and put back when the new ones cannot all be written.
WriteStatus writeInPlace(const std::string& path, const struct stat& st, std::string_view data,
                         const std::string& copyPattern, std::string* error) {
    int fd = ::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return failed(WriteStatus::CannotCreate, error, "cannot open " + path, errno);
    struct stat now;
    if (::fstat(fd, &now) != 0 || now.st_dev != st.st_dev || now.st_ino != st.st_ino ||
        !S_ISREG(now.st_mode)) {
        ::close(fd);
        return failed(WriteStatus::CannotCreate, error, path + " changed while it was saved",
                      EBUSY);
    }
    std::string old, copy;
    int err = 0;
    if (copyPattern.empty() ? !readAll(fd, old, err) : !keepCopy(fd, copyPattern, copy, err)) {
        ::close(fd);
        if (copyPattern.empty())
            return failed(WriteStatus::CannotCreate, error,
                          "cannot keep a copy of " + path + " to write it safely", err);
        return failed(WriteStatus::CannotWrite, error,
                      "cannot keep a copy of its old text in " + folderOf(copyPattern) +
                          " to write it safely in place",
                      err);
    }
    std::string kept = copy.empty() ? "" : " (its old content is kept in " + copy + ")";
    if (writeAll(fd, data, 0, true, err) && ::ftruncate(fd, static_cast<off_t>(data.size())) == 0 &&
        ::fsync(fd) == 0) {
        if (::close(fd) != 0)
            return failed(WriteStatus::Damaged, error, "cannot write " + path + kept, errno);
        if (!copy.empty())
            ::unlink(copy.c_str());
        return WriteStatus::Written;
    }
    if (err == 0)
        err = errno;
    // Shrinking first gives back the room the new bytes took.
    int ignored = 0;
    bool restored = (copy.empty() || readFile(copy, old)) &&
                    ::ftruncate(fd, static_cast<off_t>(old.size())) == 0 &&
                    writeAll(fd, old, 0, false, ignored) && ::fsync(fd) == 0;
    restored = ::close(fd) == 0 && restored;
    if (!restored)
        return failed(WriteStatus::Damaged, error,
                      "cannot write " + path + " and its old content could not be put back" + kept,
                      err);
    if (!copy.empty())
        ::unlink(copy.c_str());
    return failed(WriteStatus::CannotWrite, error, "cannot write " + path, err);
}

} // namespace

void injectWriteFailure(WriteStatus stage, int err) {
    injectedStage = stage;
    injectedErrno = err;
}

bool makeFolders(const std::string& diskPath, unsigned mode, std::string* error) {
    int err = 0;
    std::string failedAt;
    for (std::size_t at = diskPath.find(kSeparator, 1);; at = diskPath.find(kSeparator, at + 1)) {
        std::string folder = diskPath.substr(0, at);
        if (::mkdir(folder.c_str(), static_cast<mode_t>(mode)) != 0 && errno != EEXIST && err == 0)
            err = errno, failedAt = folder;
        if (at == std::string::npos)
            break;
    }
    if (isDirectory(diskPath))
        return true;
    if (error)
        *error = "cannot create " + (failedAt.empty() ? diskPath : failedAt) + ": " +
                 std::strerror(err ? err : ENOTDIR);
    return false;
}

std::string realPath(const std::string& diskPath) {
    std::string out;
    if (char* real = ::realpath(diskPath.c_str(), nullptr)) {
        out = real;
        std::free(real);
    }
    return out;
}

WriteStatus writeFileAtomic(const std::string& diskPath, std::string_view data, std::string* error,
                            const WriteOptions& options) {
    // A link is written through: its final target is the file replaced, in its own folder.
    std::string target;
    int err = 0;
    if (!finalTarget(diskPath, target, err))
        return failed(WriteStatus::CannotCreate, error, "cannot follow " + diskPath, err);
    struct stat st;
    const bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode))
        return failed(WriteStatus::CannotCreate, error, target + " is not a regular file", EINVAL);
    // Renaming needs only the folder's permission: a file the user may not write stays as it is.
    if (exists && ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
        return failed(WriteStatus::CannotCreate, error, "cannot write " + target, errno);
    if (injectedStage == WriteStatus::CannotCreate)
        return failed(WriteStatus::CannotCreate, error, "cannot write " + target, injectedErrno);

    std::string folder = folderOf(target);
    std::string tmpName(1, '.');
    tmpName.append(lastComponent(target)).append(".XXXXXX");
    std::string tmpl = joinPath(folder, tmpName);
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    int fd = ::mkstemp(name.data());
    if (fd < 0) {
        if (!exists)
            return failed(WriteStatus::CannotCreate, error, "cannot create a file in " + folder,
                          errno);
        // The folder takes no new file, but the file itself may be written.
        return writeInPlace(target, st, data, options.inPlaceCopy, error);
    }
    std::string tmp(name.data());
    auto drop = [&] {
        ::close(fd);
        ::unlink(tmp.c_str());
    };
    if (exists) {
        // The replacement keeps the owner; where that is not allowed the file is written in place.
        if (::fchown(fd, st.st_uid, st.st_gid) != 0) {
            drop();
            return writeInPlace(target, st, data, options.inPlaceCopy, error);
        }
        ::fchmod(fd, st.st_mode & 07777);
    } else {
        ::fchmod(fd, 0644);
    }
    if (!writeAll(fd, data, 0, true, err) || ::fsync(fd) != 0) {
        if (err == 0)
            err = errno;
        drop();
        return failed(WriteStatus::CannotWrite, error, "cannot write " + target, err);
    }
    if (::close(fd) != 0) {
        err = errno;
        ::unlink(tmp.c_str());
        return failed(WriteStatus::CannotWrite, error, "cannot write " + target, err);
    }
    if (::rename(tmp.c_str(), target.c_str()) != 0) {
        err = errno;
        ::unlink(tmp.c_str());
        return failed(WriteStatus::CannotWrite, error, "cannot replace " + target, err);
    }
    int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return WriteStatus::Written;
}

} // namespace fsx
