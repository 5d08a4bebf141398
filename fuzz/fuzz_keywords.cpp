// Keyword list bytes: at most 200 keywords, each shorter than a line, and matching never fails.
#include "browser/aircraft_scan.h"
#include "tests/robustness/plain_scan.h"

#include <cstdint>
#include <string>

using namespace tnv;
using namespace tnv::fleet;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (bytes.empty())
        bytes = "\n";
    const ExcludeKeywords keywords = plainscan::Keywords(bytes);
    if (keywords.words().size() > static_cast<std::size_t>(kMaxKeywords))
        __builtin_trap();
    for (const std::string& w : keywords.words()) {
        if (w.size() >= kKeywordLineChars)
            __builtin_trap();
        if (FindNoCase(w, w) != 0)
            __builtin_trap();
    }
    keywords.matches("title=AI Traffic Boeing 737-800\n");
    keywords.matches(std::string_view(bytes).substr(0, 253));
    return 0;
}
