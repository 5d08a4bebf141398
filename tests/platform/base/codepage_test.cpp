#include "platform/base/codepage.h"

#include <gtest/gtest.h>

using namespace tnv;

TEST(Codepage, EveryByteRoundTripsKnownCharactersMapAndBadUtf8IsRefused) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    std::string back;
    ASSERT_TRUE(cp1252::fromUtf8(cp1252::toUtf8(all), back));
    EXPECT_EQ(back, all);
    EXPECT_EQ(cp1252::toUtf8("caf\xE9"), "caf\xC3\xA9");
    EXPECT_EQ(cp1252::toUtf8("\x80"), "\xE2\x82\xAC"); // euro sign
    EXPECT_EQ(cp1252::toUnicode(0x81), 0x81u);         // undefined byte keeps its value
    EXPECT_EQ(cp1252::fromUnicode(0x20AC), 0x80);
    EXPECT_EQ(cp1252::fromUnicode(0x65E5), -1);
    std::string out;
    EXPECT_FALSE(cp1252::fromUtf8("\xC3", out));             // cut short
    EXPECT_FALSE(cp1252::fromUtf8("\xC0\xAF", out));         // overlong
    EXPECT_FALSE(cp1252::fromUtf8("\xED\xA0\x80", out));     // surrogate
    EXPECT_FALSE(cp1252::fromUtf8("\xE6\x97\xA5", out));     // not in the code page
    EXPECT_FALSE(cp1252::fromUtf8("\xF4\x90\x80\x80", out)); // beyond Unicode
}
