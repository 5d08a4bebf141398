#include "browser/pricing.h"

#include "browser/aircraft_scan.h"
#include "browser/config.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace tnv::fleet {

namespace {

struct PriceFactors {
    double base;   // dollars per kilogram
    double engine; // per engine and kilogram, times 25
};

PriceFactors factorsFor(std::int32_t engineType) {
    switch (engineType) {
    case kEngineTurboprop:
        return {1020.0, 8.0};
    case kEngineJet:
        return {1250.0, static_cast<double>(0.3f)};
    default:
        return {100.0, 9.0};
    }
}

// Writes texts and numbers as printf's %s, %i and %0Ni do, into a buffer of N bytes, cut to
// N - 1 and ended with a zero byte: the table's 6,000 numbers are written faster than by
// snprintf, which parses its format each time.
class TextOut {
public:
    template <std::size_t N>
    explicit TextOut(char (&buffer)[N]) : p_(buffer), end_(buffer + N - 1) {
        *p_ = '\0';
    }
    void put(const char* s) {
        while (*s && p_ < end_)
            *p_++ = *s++;
        *p_ = '\0';
    }
    void put(long long value, int width = 0) {
        char digits[24];
        const bool negative = value < 0;
        const auto magnitude = negative ? 0ULL - static_cast<unsigned long long>(value)
                                        : static_cast<unsigned long long>(value);
        const auto [last, error] = std::to_chars(digits, digits + sizeof digits, magnitude);
        (void)error;
        char padded[48];
        char* q = padded;
        if (negative)
            *q++ = '-';
        for (auto n = last - digits + (negative ? 1 : 0); n < width; ++n)
            *q++ = '0';
        q = std::copy(digits, last, q);
        *q = '\0';
        put(padded);
    }

private:
    char* p_;
    char* end_;
};

} // namespace

std::int32_t TruncToInt32(double v) {
    if (std::isnan(v))
        return 0;
    if (v >= 2147483647.0)
        return 2147483647;
    if (v <= -2147483648.0)
        return -2147483647 - 1;
    return static_cast<std::int32_t>(v);
}

std::int32_t ComputePrice(const AircraftRecord& record) {
    double kg = record.emptyWeightLbs * static_cast<double>(LBS_TO_KG);
    PriceFactors f = factorsFor(record.engineType);
    double n = record.engineCount;
    return TruncToInt32(kg * f.base + n * f.engine * kg * 25);
}

bool CanFlyAtRank(int rank, std::int32_t weightLbs, std::int32_t engineCount,
                  std::int32_t engineType) {
    std::int32_t kg = TruncToInt32(weightLbs * static_cast<double>(LBS_TO_KG));
    switch (rank) {
    case 0:
    case 1:
    case 2:
        return engineCount <= 1 && engineType == kEnginePiston && kg <= 1500;
    case 3:
        return engineType == kEnginePiston && kg <= 2500;
    case 4:
    case 5:
        return engineType != kEngineJet && kg <= 12000;
    case 6:
        return kg <= 20000;
    case 7:
    case 8:
        return kg <= 40000;
    case 9:
        return kg <= 80000;
    default:
        return rank >= 10;
    }
}

const char* RankText(std::int32_t weightLbs, std::int32_t engineCount, std::int32_t engineType) {
    static char text[16];
    int rank = 0;
    while (rank < 10 && !CanFlyAtRank(rank, weightLbs, engineCount, engineType))
        ++rank;
    TextOut out(text);
    out.put(rank < 10 ? " C" : "C");
    out.put(rank);
    out.put(rank < 10 ? " " : "");
    return text;
}

const char* EngineClassText(std::int32_t engineCount, std::int32_t engineType) {
    static const char* const kClasses[] = {"SEP", "MEP", "SET", "MET", "SEJ", "MEJ"};
    int index = 0;
    if (engineType == kEngineTurboprop)
        index = 2;
    else if (engineType == kEngineJet)
        index = 4;
    else if (engineType != kEnginePiston)
        return kClasses[0];
    if (engineCount >= 2)
        ++index;
    return kClasses[index];
}

const char* FormatMoney(double dollars, const CurrencyEntry& currency) {
    static char buffers[20][50];
    static int last = 0;
    last = last == 19 ? 0 : last + 1;
    char* out = buffers[last];

    const char* sign = currency.sign.c_str();
    const char sep[2] = {currency.separator, '\0'};
    const char* suffix = "";
    const char* minus = "";
    double v = dollars / currency.exchangeWithDollars;
    if (v > 9999999999.0) {
        suffix = "K";
        v = v * 0.001;
    }
    if (v < 0) {
        minus = "-";
        v = std::fabs(v);
    }
    int b = TruncToInt32(v * 1e-9);
    double r = v - b * 1e9;
    int m = TruncToInt32(r * 1e-6);
    r = r - m * 1e6;
    int t = TruncToInt32(r * 0.001);
    int u = TruncToInt32(r - t * 1000.0);

    TextOut text(buffers[last]);
    const bool front = currency.signInFront == 1;
    if (v == 0.0) {
        text.put(front ? sign : "");
        text.put("0");
        text.put(front ? "" : sign);
        return out;
    }
    text.put(front ? sign : "");
    text.put(minus);
    // The leading group as it is, the others with three digits each.
    const int groups[] = {b, m, t, u};
    int g = 0;
    while (g < 3 && groups[g] <= 0)
        ++g;
    text.put(groups[g]);
    for (++g; g < 4; ++g) {
        text.put(sep);
        text.put(groups[g], 3);
    }
    text.put(suffix);
    text.put(front ? "" : sign);
    return out;
}

std::string WeightText(std::int32_t weightLbs, bool pounds) {
    char text[64];
    if (pounds) {
        TextOut out(text);
        out.put(weightLbs);
        out.put(" lbs");
    } else {
        std::snprintf(text, sizeof text, "%.0f kg", weightLbs * static_cast<double>(LBS_TO_KG));
    }
    return text;
}

std::int32_t WeightDataWord(std::int32_t weightLbs, bool pounds) {
    return pounds ? weightLbs : TruncToInt32(weightLbs * static_cast<double>(LBS_TO_KG));
}

} // namespace tnv::fleet
