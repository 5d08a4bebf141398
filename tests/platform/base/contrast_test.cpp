#include "platform/base/contrast.h"

#include <gtest/gtest.h>

using namespace tnv;

// Black or white on a background, and the ratio they reach, by the guidelines' formula.
TEST(Contrast, TextOnABackgroundIsWhicheverOfBlackOrWhiteReadsBetter) {
    constexpr COLORREF black = RGB(0, 0, 0), white = RGB(255, 255, 255);
    struct Case {
        COLORREF back;
        COLORREF text;
        double ratio;
    } cases[] = {
        {white, black, 21.0},
        {black, white, 21.0},
        {RGB(255, 0, 0), black, 5.25},      // the editor's missing recordings
        {RGB(199, 232, 255), black, 16.42}, // its sounds without text
        {RGB(0, 0, 128), white, 16.0},      // navy
        {RGB(42, 130, 218), black, 5.30},   // a dark theme's highlight
        {RGB(118, 118, 118), black, 4.62},  // mid grey: both reach 4.5, black a little more
        {RGB(53, 53, 53), white, 12.27},    // a dark theme's window
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.back);
        EXPECT_EQ(contrast::textOn(c.back), c.text);
        EXPECT_NEAR(contrast::ratio(c.text, c.back), c.ratio, 0.01);
        EXPECT_NEAR(contrast::ratio(c.back, c.text), c.ratio, 0.01);
        EXPECT_GE(contrast::ratio(c.text, c.back), contrast::kReadable);
    }
    EXPECT_DOUBLE_EQ(contrast::ratio(RGB(9, 99, 199), RGB(9, 99, 199)), 1.0);
    // A colour that reads well enough is kept; one that does not gives way.
    EXPECT_EQ(contrast::readableOn(RGB(0, 0, 128), white), RGB(0, 0, 128));
    EXPECT_EQ(contrast::readableOn(RGB(220, 220, 220), white), black);
    EXPECT_EQ(contrast::readableOn(RGB(220, 220, 220), RGB(40, 40, 40)), RGB(220, 220, 220));
}
