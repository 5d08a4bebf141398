// Writing a file the user named: whole or not at all, through links, never replacing a device.
#pragma once

#include <string>
#include <string_view>

namespace fsx {

// The file a write to `diskPath` lands in: symbolic links are followed to the file they name
// (which need not exist yet), so that a link stays a link.
std::string writeTarget(const std::string& diskPath);

// Writes `data` whole or not at all. A regular file, or a new one, is replaced through a
// temporary file beside it (writeFileAtomic). A device or a FIFO already in its place is written
// straight, every write checked; a FIFO that nobody reads is refused rather than waited on. A
// folder is refused. On failure `error` says why and an old file is left as it was.
bool writeWhole(const std::string& diskPath, std::string_view data, std::string* error);

} // namespace fsx
