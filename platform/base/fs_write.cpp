#include "platform/base/fs_write.h"

#include "platform/base/fs.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fsx {
namespace {

bool failed(std::string* error, const std::string& what, int err) {
    if (error)
        *error = what + ": " + std::strerror(err);
    return false;
}

// A device or a FIFO: there is nothing to put a temporary file beside, so the bytes go straight
// in, and a short or failed write is an error.
bool writeStraight(const std::string& path, std::string_view data, std::string* error) {
    int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENXIO)
            return failed(error, "cannot write " + path + " (nothing reads from it)", errno);
        return failed(error, "cannot write " + path, errno);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            int err = n < 0 ? errno : ENOSPC;
            ::close(fd);
            return failed(error, "cannot write " + path, err);
        }
        done += static_cast<std::size_t>(n);
    }
    if (::close(fd) != 0)
        return failed(error, "cannot write " + path, errno);
    return true;
}

} // namespace

std::string writeTarget(const std::string& diskPath) {
    std::string path = diskPath;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        std::string link(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 4095) + 1, '\0');
        ssize_t n = ::readlink(path.c_str(), link.data(), link.size());
        if (n < 0 || static_cast<std::size_t>(n) >= link.size())
            return path;
        link.resize(static_cast<std::size_t>(n));
        if (link.empty())
            return path;
        std::string folder = parentFolder(path);
        path = link.front() == '/' ? link : joinPath(folder.empty() ? "." : folder, link);
    }
    return path; // a loop of links: the write fails on it
}

bool writeWhole(const std::string& diskPath, std::string_view data, std::string* error) {
    std::string target = writeTarget(diskPath);
    struct stat st;
    if (::stat(target.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        if (S_ISDIR(st.st_mode))
            return failed(error, "cannot write " + diskPath, EISDIR);
        return writeStraight(target, data, error);
    }
    return writeFileAtomic(target, data, error) == WriteStatus::Written;
}

} // namespace fsx
