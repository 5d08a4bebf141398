// What an aircraft costs in the add-on's career mode, from which career rank it may be flown, its
// engine class, and money written out in the active currency.
#pragma once

#include <cstdint>
#include <string>

namespace tnv::fleet {

struct AircraftRecord;
struct CurrencyEntry;

constexpr float LBS_TO_KG = 0.4535924f;

// A real number cut toward zero into 32 bits; beyond the range it stays at the nearest end.
std::int32_t TruncToInt32(double v);

// The price in dollars, from empty weight, engine type and engine count.
std::int32_t ComputePrice(const AircraftRecord& record);

bool CanFlyAtRank(int rank, std::int32_t weightLbs, std::int32_t engineCount,
                  std::int32_t engineType);

// " C0 " to " C9 ", or "C10": the blanks make the texts sort in rank order. The text lives in one
// buffer that the next call overwrites.
const char* RankText(std::int32_t weightLbs, std::int32_t engineCount, std::int32_t engineType);

// "SEP", "MEP", "SET", "MET", "SEJ" or "MEJ".
const char* EngineClassText(std::int32_t engineCount, std::int32_t engineType);

// The amount in the currency, digits grouped by threes. The text lives in one of 20 buffers used
// in turn: it stays valid for 19 more calls.
const char* FormatMoney(double dollars, const CurrencyEntry& currency);

// The empty weight as the table shows it ("1500 lbs" or "680 kg") and as it sorts (pounds, or
// kilograms cut toward zero).
std::string WeightText(std::int32_t weightLbs, bool pounds);
std::int32_t WeightDataWord(std::int32_t weightLbs, bool pounds);

} // namespace tnv::fleet
