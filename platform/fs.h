// File system helpers: folders list in one order everywhere, names are looked up regardless of
// letter case when the exact name is absent, and names are 8-bit Windows-1252 text inside the
// programs while the disk holds UTF-8.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace fsx {

constexpr char kSeparator = '/';

struct DirEntry {
    std::string name;     // 8-bit name, as the programs see it
    std::string diskName; // the name on disk
    bool isDir = false;
};

// Folder listing by name, letter case aside, then byte order; "." and ".." are left out.
// A folder that cannot be read lists nothing. At most `limit` entries are read.
std::vector<DirEntry> listFolder(const std::string& folder, std::size_t limit = 1'000'000);

// The ordering used by listFolder, on 8-bit names.
bool nameLess(std::string_view a, std::string_view b);

// Case-blind equality of two 8-bit names (ASCII and the Latin-1 letters).
bool equalNoCase(std::string_view a, std::string_view b);

// True when the 8-bit name ends in `ext` (with its dot), letter case aside.
bool hasExtension(std::string_view name, std::string_view ext);

// Folder and name joined with the platform separator.
std::string joinPath(const std::string& folder, const std::string& name);

// The last component of a path.
std::string lastComponent(const std::string& path);

// The folder part of a path (everything before the last separator); empty when there is none.
std::string parentFolder(const std::string& path);

// Conversions between the programs' 8-bit names and the disk's names. A disk name that is not
// representable passes through unchanged, and comes back unchanged.
std::string fromDisk(const std::string& diskName);
std::string toDisk(const std::string& name);

// The path of `name` in `folder` (both 8-bit), for reading or writing: the exact name when it
// exists, else an entry whose name matches regardless of letter case, else the exact name.
// The result is a disk path.
std::string resolve(const std::string& folder, const std::string& name);

// A disk path for an 8-bit path whose every component may differ in letter case from the disk.
std::string resolvePath(const std::string& path);

bool isDirectory(const std::string& diskPath);
bool isFile(const std::string& diskPath);

// The working folder, absolute, as a disk path.
std::string currentFolder();

// The program `name` in the folders of PATH, as a shell finds it: the first executable file; an
// empty entry is the current folder, no PATH the usual folders. Empty when there is none; a
// path (a name with a separator) is given back as it is.
std::string findInPath(const std::string& name);

// argv[0] made absolute without resolving links: the path the program was started by.
std::string programPath(const char* argv0);

// Writes `data` to `diskPath` through a temporary file beside the file, renamed over it only when
// every byte was written and flushed. A link is written through to its final target, whose mode
// and owner are kept. A file with several hard links is replaced like any other: its other names
// keep the old content. A file whose owner cannot be kept, or one in a folder that takes no new
// file, is rewritten in place, its old bytes put back if that fails. A file the user may not
// write, or that is not a regular file, is not written.
//   CannotCreate: nothing was written (`error` says why).
//   CannotWrite: the write failed; the old file is as it was.
//   Damaged: an in-place write failed and the old content could not be put back.
enum class WriteStatus { Written, CannotCreate, CannotWrite, Damaged };
struct WriteOptions {
    // Where an in-place write first keeps the old bytes, whole and synced, so that a crash in the
    // middle of it leaves them somewhere: a path whose last "XXXXXX" is made unique (its folder is
    // made when missing). The copy is removed once the new bytes are on disk; it stays when the
    // file could not be put back. When it cannot be made, the file is not written (CannotWrite).
    // Empty: the old bytes are kept in memory only.
    std::string inPlaceCopy;
};
WriteStatus writeFileAtomic(const std::string& diskPath, std::string_view data, std::string* error,
                            const WriteOptions& options = {});

// Makes every missing folder of `diskPath` with `mode`. False when it is not a folder after,
// with the reason in `error`.
bool makeFolders(const std::string& diskPath, unsigned mode, std::string* error = nullptr);

// The path with every link, "." and ".." resolved; empty when it does not exist.
std::string realPath(const std::string& diskPath);

// Makes the next atomic writes fail with the given errno, as a full disk or a read-only file
// system would (tests run as root, where permissions refuse nothing): CannotCreate opens nothing
// for writing, CannotWrite fails writing the new bytes. WriteStatus::Written turns it off.
void injectWriteFailure(WriteStatus stage, int err);

// Reads at most `limit` bytes of a file. False when it cannot be opened or is no regular file.
bool readFile(const std::string& diskPath, std::string& out, std::size_t limit = SIZE_MAX);

// Opens a file for reading without ever waiting on it: a FIFO, a device, a socket or a folder
// in its place is refused as a file that cannot be read (errno EISDIR for a folder, else
// EINVAL). -1 on failure. The descriptor keeps O_NONBLOCK, which a regular file ignores: it
// reads blocking, as usual.
int openRegularFile(const std::string& diskPath);
// The same for a path relative to the folder open as `dirFd`, with the file's size if asked.
int openRegularFileAt(int dirFd, const std::string& path, std::uint64_t* size = nullptr);
// The same as a stdio stream for binary reading; nullptr on failure.
std::FILE* openRegularStream(const std::string& diskPath);

} // namespace fsx
