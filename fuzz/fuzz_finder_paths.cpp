// The simulator finder's readers of outside files, one target each (TNV_FINDER_READER names the
// reader): every path kept stays within the limits.
#include "finder/parsers.h"

#include <cstdint>
#include <string_view>

using namespace tnv;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto paths =
        finder::TNV_FINDER_READER(std::string_view(reinterpret_cast<const char*>(data), size));
    if (paths.size() > finder::kMaxPaths)
        __builtin_trap();
    for (const std::string& path : paths)
        if (path.empty() || path.size() > finder::kMaxPathLength)
            __builtin_trap();
    return 0;
}
