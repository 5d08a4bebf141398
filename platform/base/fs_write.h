// Writing a file the user owns or named: whole or not at all, through links, never replacing a
// device.
#pragma once

#include <string>
#include <string_view>

namespace tnv {

namespace fsx {

// Writes `data` to `diskPath` through a temporary file beside the file, renamed over it only when
// every byte was written and flushed. A link is written through to its final target, whose mode
// and owner are kept. A file with several hard links is replaced like any other: its other names
// keep the old content. A file whose owner cannot be kept, or one in a folder that takes no new
// file, is rewritten in place, its old bytes put back if that fails. A file the user may not
// write, a folder, or anything else that is not a regular file (unless `intoDevices`) is not
// written.
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
    // A device or a FIFO already in the file's place (a user's output named so) is written
    // straight, every write checked; a FIFO that nobody reads is refused rather than waited on.
    bool intoDevices = false;

    // An output the user names (an export, a PDF, a picture), which may be a device or a FIFO.
    static WriteOptions NamedOutput() {
        WriteOptions options;
        options.intoDevices = true;
        return options;
    }
};
WriteStatus writeFile(const std::string& diskPath, std::string_view data, std::string* error,
                      const WriteOptions& options = {});

// The file a write to `diskPath` lands in: symbolic links are followed to the file they name
// (which need not exist yet), so that a link stays a link. `diskPath` itself when a link cannot
// be read.
std::string writeTarget(const std::string& diskPath);

// Makes the next writes fail with the given errno, as a full disk or a read-only file system
// would (tests run as root, where permissions refuse nothing): CannotCreate opens nothing for
// writing, CannotWrite fails writing the new bytes. WriteStatus::Written turns it off.
void injectWriteFailure(WriteStatus stage, int err);

} // namespace fsx

} // namespace tnv
