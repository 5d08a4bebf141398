#include "browser/pricing.h"

#include "browser/aircraft_scan.h"
#include "browser/config.h"

#include <cmath>
#include <cstdio>

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
    std::snprintf(text, sizeof text, rank < 10 ? " C%i " : "C%i", rank);
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

    constexpr std::size_t size = sizeof buffers[0];
    if (currency.signInFront == 1) {
        if (b > 0)
            std::snprintf(out, size, "%s%s%i%s%03i%s%03i%s%03i%s", sign, minus, b, sep, m, sep, t,
                          sep, u, suffix);
        else if (m > 0)
            std::snprintf(out, size, "%s%s%i%s%03i%s%03i%s", sign, minus, m, sep, t, sep, u,
                          suffix);
        else if (t > 0)
            std::snprintf(out, size, "%s%s%i%s%03i%s", sign, minus, t, sep, u, suffix);
        else
            std::snprintf(out, size, "%s%s%i%s", sign, minus, u, suffix);
    } else {
        if (b > 0)
            std::snprintf(out, size, "%s%i%s%03i%s%03i%s%03i%s%s", minus, b, sep, m, sep, t, sep, u,
                          suffix, sign);
        else if (m > 0)
            std::snprintf(out, size, "%s%i%s%03i%s%03i%s%s", minus, m, sep, t, sep, u, suffix,
                          sign);
        else if (t > 0)
            std::snprintf(out, size, "%s%i%s%03i%s%s", minus, t, sep, u, suffix, sign);
        else
            std::snprintf(out, size, "%s%i%s%s", minus, u, suffix, sign);
    }
    if (v == 0.0)
        std::snprintf(out, size, currency.signInFront == 1 ? "%s0" : "0%s", sign);
    return out;
}

std::string WeightText(std::int32_t weightLbs, bool pounds) {
    char text[64];
    if (pounds)
        std::snprintf(text, sizeof text, "%i lbs", weightLbs);
    else
        std::snprintf(text, sizeof text, "%.0f kg", weightLbs * static_cast<double>(LBS_TO_KG));
    return text;
}

std::int32_t WeightDataWord(std::int32_t weightLbs, bool pounds) {
    return pounds ? weightLbs : TruncToInt32(weightLbs * static_cast<double>(LBS_TO_KG));
}
