// aircraft.cfg bytes, with and without variations and keywords, on both search paths: every record
// sound, priced without trouble, and the same as the straightforward reader's.
#include "browser/aircraft_scan.h"
#include "browser/config.h"
#include "browser/pricing.h"
#include "tests/robustness/plain_scan.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

using namespace tnv;
using namespace tnv::fleet;

namespace {

// A keyword list, searched on the vector path where the processor has it, or byte at a time.
ExcludeKeywords keywordsFrom(const char* text, bool scalar) {
    if (scalar)
        setenv("FLEETVALUER_SCALAR_SCAN", "1", 1);
    ExcludeKeywords k = plainscan::Keywords(text);
    unsetenv("FLEETVALUER_SCALAR_SCAN");
    return k;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static auto table = std::make_unique<AircraftTable>();
    // Both search paths, every input.
    static const ExcludeKeywords keywords[2] = {keywordsFrom("AI ;\nTraffic;\n", false),
                                                keywordsFrom("AI ;\nTraffic;\n", true)};
    static const ExcludeKeywords noKeywords[2] = {keywordsFrom("", false), keywordsFrom("", true)};
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (bytes.empty())
        bytes = "\n";
    for (int path = 0; path < 2; ++path)
        for (int pass = 0; pass < 3; ++pass) {
            table->NbrAircraftCfgFilled = pass == 2 ? 1990 : 0;
            table->showAllVariations = pass != 0;
            std::FILE* f = fmemopen(bytes.data(), bytes.size(), "rb");
            ReadAircraftCfgFrom(f, "folder", *table, pass == 1 ? keywords[path] : noKeywords[path]);
            std::fclose(f);
            if (table->NbrAircraftCfgFilled > 2019)
                __builtin_trap();
            for (int k = pass == 2 ? 1990 : 0; k < table->NbrAircraftCfgFilled; ++k) {
                const AircraftRecord& r = (*table)[k];
                if (r.emptyWeightLbs <= 10 || r.engineCount < 1 ||
                    (r.engineType != 0 && r.engineType != 1 && r.engineType != 5) ||
                    std::strlen(r.title) > 255)
                    __builtin_trap();
                FormatMoney(ComputePrice(r), DollarsEntry());
                RankText(r.emptyWeightLbs, r.engineCount, r.engineType);
                EngineClassText(r.engineCount, r.engineType);
                WeightText(r.emptyWeightLbs, false);
            }
        }
    // With the keywords and every variation, all that can be read is compared, the file read
    // in small windows most of the time, so that its lines meet window ends.
    const std::size_t window = size % 3 == 0 ? CfgLines::kWindow : 254 + size % 400;
    const auto plain = plainscan::Records(bytes, keywords[0].foldedWords(), true, *table);
    for (const ExcludeKeywords& k : keywords)
        if (plainscan::ScanRecords(bytes, k, true, *table, window) != plain)
            __builtin_trap();
    // The lines themselves, against the line reader of one byte after the other.
    std::FILE* f = fmemopen(bytes.data(), bytes.size(), "rb");
    auto lines = std::make_unique<CfgLines>(f, window);
    const bool sameLines = plainscan::ScanLines(*lines) == plainscan::PlainLines(bytes);
    std::fclose(f);
    if (!sameLines)
        __builtin_trap();
    return 0;
}
