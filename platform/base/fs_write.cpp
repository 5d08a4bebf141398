#include "platform/base/fs_write.h"

#include "platform/base/fs.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tnv {

namespace fsx {
namespace {
WriteStatus injectedStage = WriteStatus::Written;
int injectedErrno = 0;

WriteStatus failed(WriteStatus status, std::string* error, const std::string& what, int err) {
    if (error)
        *error = what + ": " + std::strerror(err);
    return status;
}

// Writes all of `data` at `offset`, or where the descriptor stands when `offset` is -1 (a
// device or a FIFO); the injected write failure applies when `injectable`.
bool writeAll(int fd, std::string_view data, off_t offset, bool injectable, int& err) {
    if (injectable && injectedStage == WriteStatus::CannotWrite) {
        err = injectedErrno;
        return false;
    }
    std::size_t done = 0;
    while (done < data.size()) {
        const char* from = data.data() + done;
        std::size_t left = data.size() - done;
        ssize_t n = offset < 0 ? ::write(fd, from, left)
                               : ::pwrite(fd, from, left, offset + static_cast<off_t>(done));
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

// Hands all that `fd` holds, from its start, to `take` (a chunk and its offset) until it is read
// or `take` says no.
template <class Take> bool readChunks(int fd, int& err, Take take) {
    char buf[65536];
    for (off_t at = 0;;) {
        ssize_t n = ::pread(fd, buf, sizeof buf, at);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            err = errno;
            return false;
        }
        if (n == 0)
            return true;
        if (!take(std::string_view(buf, static_cast<std::size_t>(n)), at))
            return false;
        at += n;
    }
}

bool readAll(int fd, std::string& out, int& err) {
    out.clear();
    return readChunks(fd, err, [&](std::string_view chunk, off_t) {
        out.append(chunk);
        return true;
    });
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
        if (link.empty()) {
            err = ENOENT;
            return false;
        }
        p = link.front() == kSeparator ? link : joinPath(folderOf(p), link);
    }
    err = ELOOP;
    return false;
}

// Copies all that `in` holds into `out`.
bool copyAll(int in, int out, int& err) {
    return readChunks(in, err, [&](std::string_view chunk, off_t at) {
        return writeAll(out, chunk, at, false, err);
    });
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

// A device or a FIFO: there is nothing to put a temporary file beside, so the bytes go straight
// in, and a short or failed write is an error. A FIFO that nobody reads is refused, not waited on.
WriteStatus writeStraight(const std::string& path, std::string_view data, std::string* error) {
    int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return failed(WriteStatus::CannotCreate, error,
                      "cannot write " + path + (errno == ENXIO ? " (nothing reads from it)" : ""),
                      errno);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    int err = 0;
    if (!writeAll(fd, data, -1, true, err)) {
        ::close(fd);
        return failed(WriteStatus::CannotWrite, error, "cannot write " + path, err);
    }
    if (::close(fd) != 0)
        return failed(WriteStatus::CannotWrite, error, "cannot write " + path, errno);
    return WriteStatus::Written;
}

// Replaces the regular file `target` (or makes it) through a temporary file beside it.
WriteStatus replaceFile(const std::string& target, const struct stat& st, bool exists,
                        std::string_view data, std::string* error, const WriteOptions& options) {
    int err = 0;
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

} // namespace

std::string writeTarget(const std::string& diskPath) {
    std::string target;
    int err = 0;
    return finalTarget(diskPath, target, err) ? target : diskPath;
}

void injectWriteFailure(WriteStatus stage, int err) {
    injectedStage = stage;
    injectedErrno = err;
}

WriteStatus writeFile(const std::string& diskPath, std::string_view data, std::string* error,
                      const WriteOptions& options) {
    // A link is written through: its final target is the file replaced, in its own folder.
    std::string target;
    int err = 0;
    if (!finalTarget(diskPath, target, err))
        return failed(WriteStatus::CannotCreate, error, "cannot follow " + diskPath, err);
    struct stat st;
    const bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode))
        return failed(WriteStatus::CannotCreate, error, "cannot write " + target, EISDIR);
    if (exists && !S_ISREG(st.st_mode)) {
        if (options.intoDevices)
            return writeStraight(target, data, error);
        return failed(WriteStatus::CannotCreate, error, target + " is not a regular file", EINVAL);
    }
    // Renaming needs only the folder's permission: a file the user may not write stays as it is.
    if (exists && ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
        return failed(WriteStatus::CannotCreate, error, "cannot write " + target, errno);
    if (injectedStage == WriteStatus::CannotCreate)
        return failed(WriteStatus::CannotCreate, error, "cannot write " + target, injectedErrno);
    return replaceFile(target, st, exists, data, error, options);
}

} // namespace fsx

} // namespace tnv
