#include "browser/aircraft_scan.h"
#include "browser/config.h"
#include "browser/pricing.h"

#include <gtest/gtest.h>

using namespace tnv;
using namespace tnv::fleet;

TEST(Pricing, PriceFromWeightEnginesAndType) {
    struct Case {
        std::int32_t lbs, type, engines, price;
    } cases[] = {
        {1500, kEnginePiston, 1, 221126},
        {1500, kEnginePiston, 2, 374213},
        {9000, kEngineTurboprop, 1, 4980444},
        {70000, kEngineJet, 2, 40165606},
        {11, kEnginePiston, 1, 1621},
        // Far beyond any aircraft: the price holds at the top of its range instead of wrapping.
        {2000000000, kEngineJet, 4, 2147483647}};
    for (const Case& c : cases)
        EXPECT_EQ(ComputePrice(AircraftRecord{"", "", c.lbs, c.type, c.engines}), c.price) << c.lbs;
}

TEST(Pricing, RankBoundaries) {
    struct Case {
        std::int32_t lbs, engines, type;
        const char* rank;
    } cases[] = {
        {3309, 1, kEnginePiston, " C0 "}, // 1500 kg
        {3310, 1, kEnginePiston, " C3 "}, // 1501 kg
        {1000, 2, kEnginePiston, " C3 "}, // twins start at 3
        {5511, 2, kEnginePiston, " C3 "}, // 2499 kg
        {5514, 2, kEnginePiston, " C4 "}, // 2501 kg
        {1000, 1, kEngineTurboprop, " C4 "},  {26455, 2, kEngineTurboprop, " C4 "}, // 11999 kg
        {26458, 2, kEngineTurboprop, " C6 "},                                       // 12001 kg
        {1000, 1, kEngineJet, " C6 "},   // a jet at best 6
        {44093, 2, kEngineJet, " C6 "},  // 20000 kg
        {44095, 2, kEngineJet, " C7 "},  // 20001 kg
        {88186, 2, kEngineJet, " C7 "},  // 40000 kg
        {88188, 2, kEngineJet, " C9 "},  // 40001 kg
        {176372, 4, kEngineJet, " C9 "}, // 80000 kg
        {176373, 4, kEngineJet, "C10"},  // 80001 kg
    };
    for (const Case& c : cases)
        EXPECT_STREQ(RankText(c.lbs, c.engines, c.type), c.rank) << c.lbs;
    EXPECT_TRUE(CanFlyAtRank(10, 2000000000, 9, kEngineJet));
    EXPECT_TRUE(CanFlyAtRank(2, 3309, 1, kEnginePiston));
    EXPECT_FALSE(CanFlyAtRank(5, 1000, 1, kEngineJet));
}

TEST(Pricing, EngineClasses) {
    EXPECT_STREQ(EngineClassText(1, kEnginePiston), "SEP");
    EXPECT_STREQ(EngineClassText(2, kEnginePiston), "MEP");
    EXPECT_STREQ(EngineClassText(1, kEngineTurboprop), "SET");
    EXPECT_STREQ(EngineClassText(4, kEngineTurboprop), "MET");
    EXPECT_STREQ(EngineClassText(1, kEngineJet), "SEJ");
    EXPECT_STREQ(EngineClassText(3, kEngineJet), "MEJ");
    EXPECT_STREQ(EngineClassText(2, 7), "SEP");
}

TEST(Pricing, MoneyInDollars) {
    struct Case {
        double amount;
        const char* text;
    } cases[] = {{0, "$0"},
                 {999, "$999"},
                 {1000, "$1,000"},
                 {1000000, "$1,000,000"},
                 {1234567890, "$1,234,567,890"},
                 {9999999999.0, "$9,999,999,999"},
                 {10000000000.0, "$10,000,000K"},
                 {12345678901.0, "$12,345,678K"},
                 {1001.99, "$1,001"}, // fractions are cut
                 {1000050, "$1,000,050"},
                 {-1500, "$-1,500"},
                 {0.5, "$0"},
                 {221126, "$221,126"}};
    for (const Case& c : cases)
        EXPECT_STREQ(FormatMoney(c.amount, DollarsEntry()), c.text) << c.amount;
}

TEST(Pricing, MoneyInOtherCurrencies) {
    EXPECT_STREQ(FormatMoney(1000000, {"Euro", "EUR", 1, '.', 2.0f}), "EUR500.000");
    CurrencyEntry after{"Krone", " kr", 0, ' ', 1.0f};
    EXPECT_STREQ(FormatMoney(1234, after), "1 234 kr");
    EXPECT_STREQ(FormatMoney(0, after), "0 kr");
    EXPECT_STREQ(FormatMoney(-2500000, after), "-2 500 000 kr");
    EXPECT_STREQ(FormatMoney(12345678901.0, after), "12 345 678K kr");
    EXPECT_STREQ(FormatMoney(2147483647, {"Lira", "L", 1, '\'', 0.1f}), "L21'474'836K");
    // No separator at all; a sign cut to 49 characters.
    EXPECT_STREQ(FormatMoney(1234567, {"Plain", "#", 1, '\0', 1.0f}), "#1234567");
    EXPECT_STREQ(FormatMoney(1234, {"Wordy", std::string(45, 'S'), 1, ',', 1.0f}),
                 (std::string(45, 'S') + "1,23").c_str());
}

TEST(Pricing, TwentyRotatingMoneyBuffers) {
    const char* first = FormatMoney(1, DollarsEntry());
    std::string kept = first;
    for (int i = 2; i <= 20; ++i)
        EXPECT_NE(FormatMoney(i, DollarsEntry()), first);
    EXPECT_STREQ(first, kept.c_str()); // twenty calls leave the first text alone
    EXPECT_EQ(FormatMoney(21, DollarsEntry()), first);
    EXPECT_STREQ(first, "$21");
}

TEST(Pricing, WeightTextAndSortWord) {
    EXPECT_EQ(WeightText(1500, true), "1500 lbs");
    EXPECT_EQ(WeightDataWord(1500, true), 1500);
    EXPECT_EQ(WeightText(4, false), "2 kg"); // 1.81 kg, rounded
    EXPECT_EQ(WeightDataWord(4, false), 1);  // cut
    EXPECT_EQ(WeightText(1500, false), "680 kg");
    EXPECT_EQ(WeightDataWord(176373, false), 80001);
}
