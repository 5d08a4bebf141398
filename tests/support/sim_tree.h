// Made-up but realistic simulator data for the tests and the benchmarks: aircraft.cfg texts with
// several liveries, an AI-traffic keyword list, a whole Aircraft folder, and the WAV files of a
// crew pack. The same seed always gives the same bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace simtree {

// A small deterministic generator (splitmix64), so data is the same on every machine.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : s_(seed) {}
    std::uint64_t next();
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint64_t>(n)); }

private:
    std::uint64_t s_;
};

// Keyword list file text with `count` keywords (comments and blank lines between them).
std::string KeywordFile(int count);

// An aircraft.cfg of several kilobytes. `aiModel` puts an AI-traffic package's marks in it, which
// the keyword list leaves out.
std::string AircraftCfg(Rng& rng, int index, bool aiModel);

struct TreeInfo {
    std::vector<std::string> folders; // disk paths of the aircraft folders
    int aiFolders = 0;
};

// Writes `folders` aircraft folders under `aircraftFolder`, every `aiEvery`-th one an AI model.
TreeInfo WriteTree(const std::string& aircraftFolder, int folders, int aiEvery, std::uint64_t seed);

// A mono 16-bit PCM WAV file at 22050 Hz holding `samples`.
std::string PcmWav(const std::vector<std::int16_t>& samples);

} // namespace simtree
