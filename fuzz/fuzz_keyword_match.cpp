// The keyword matcher against the plain search on a keyword list, a zero byte, then aircraft.cfg
// lines: any difference in the answer, the leftmost start or its first word, on either path, traps.
#include "browser/aircraft_scan.h"
#include "browser/keyword_match.h"
#include "tests/robustness/plain_scan.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

using namespace tnv;
using namespace tnv::fleet;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view in(reinterpret_cast<const char*>(data), size);
    auto split = in.find('\0');
    std::string list(in.substr(0, split));
    std::string_view rest = split == std::string_view::npos ? in : in.substr(split + 1);
    if (list.empty())
        list = "\n";
    if (size % 2)
        setenv("FLEETVALUER_SCALAR_SCAN", "1", 1);
    const ExcludeKeywords keys = plainscan::Keywords(list);
    unsetenv("FLEETVALUER_SCALAR_SCAN");
    // Any words, too: not only those a list file can hold.
    std::vector<std::string> raw;
    for (std::size_t start = 0, end; start < list.size(); start = end + 1) {
        end = std::min(list.find('\n', start), list.size());
        raw.push_back(plainscan::Fold(std::string_view(list).substr(start, end - start)));
    }
    // The vector path (where the processor has it) or the byte-at-a-time one, every other input,
    // for the list and for the words.
    KeywordMatcher rawMatcher;
    rawMatcher.assign(raw, size % 4 < 2);
    while (!rest.empty()) {
        auto end = rest.find('\n');
        std::string_view line =
            rest.substr(0, end == std::string_view::npos ? rest.size() : end + 1);
        rest.remove_prefix(line.size());
        const std::string folded = plainscan::Fold(line);
        const bool listed = AnyWordInLine(keys.foldedWords(), folded);
        if (keys.matches(folded) != listed || keys.matches(line) != listed ||
            keys.find(line) != plainscan::FirstWord(keys.foldedWords(), folded))
            __builtin_trap();
        const std::size_t first = plainscan::FirstWord(raw, folded);
        std::size_t word = KeywordMatcher::npos;
        if (rawMatcher.find(line, 0, &word) != first || rawMatcher.find(folded) != first)
            __builtin_trap();
        // The first word of the list that starts there.
        if (first != KeywordMatcher::npos)
            for (std::size_t k = 0; k < raw.size(); ++k)
                if (std::string_view(folded).substr(first).starts_with(raw[k])) {
                    if (word != k)
                        __builtin_trap();
                    break;
                }
    }
    return 0;
}
