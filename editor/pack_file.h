// What a save of CueLine.clt needs to know of the file on disk, beyond its text: whether someone
// else changed it since it was read, the temporaries a crashed save left beside it, and where its
// old text is kept while it is rewritten in place. Paths here are disk paths.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace tnv::cueline {

namespace packfile {

// A file as it was when it was read: another program's save changes at least one of these.
struct Stamp {
    bool exists = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t mtimeSec = 0;
    std::int64_t mtimeNsec = 0;
    static Stamp ofOpen(int fd);
    static Stamp of(const std::string& path); // the file a link names
    bool operator==(const Stamp&) const = default;
};

// The temporaries a save makes beside `fileName` are "." + fileName + "." and six characters.
bool isOwnTemporary(const std::string& name, const std::string& fileName);

// Deletes in `folder` (only there) the temporaries of saves of `fileName` that never finished:
// regular files of exactly that pattern, owned by this user, last changed before `before` (a
// newer one may be another editor's save under way). Returns how many went.
int removeLeftoverTemporaries(const std::string& folder, const std::string& fileName,
                              std::time_t before);

// The user's cache folder for the tools: $XDG_CACHE_HOME/tarnavel when that is absolute, else
// ~/.cache/tarnavel. Empty when no home folder is known.
std::string cacheFolder();

// Where an in-place save keeps the old text of `file` (the path of the file itself, links
// followed) until the new text is on disk: the same name for the same file at every run, with
// "XXXXXX" made unique. Empty when there is no cache folder.
std::string keptCopyPattern(const std::string& file);

// The copies of `file`'s old text that saves which never finished left in the cache folder.
std::vector<std::string> keptCopiesOf(const std::string& file);

} // namespace packfile

} // namespace tnv::cueline
