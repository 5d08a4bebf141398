// The small pieces of the base: the code page, contrast, the message box service, MulDiv.
#include "platform/base/codepage.h"
#include "platform/base/contrast.h"
#include "platform/base/msgbox.h"
#include "platform/base/types.h"

#include <gtest/gtest.h>

#include <climits>

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
    // Cut short, overlong, a surrogate, not in the code page, beyond Unicode.
    for (const char* bad : {"\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xE6\x97\xA5", "\xF4\x90\x80\x80"})
        EXPECT_FALSE(cp1252::fromUtf8(bad, out)) << testing::PrintToString(bad);
}

// Black or white on a background, and the ratio they reach, by the guidelines' formula.
TEST(Contrast, TextOnABackgroundIsWhicheverOfBlackOrWhiteReadsBetter) {
    constexpr COLORREF black = RGB(0, 0, 0), white = RGB(255, 255, 255);
    struct Case {
        COLORREF back, text;
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

TEST(MessageBoxService, DefaultButtonsScriptedAnswersAndRestoresThePreviousService) {
    EXPECT_EQ(DefaultButton(MB_OK | MB_ICONERROR), IDOK);
    EXPECT_EQ(DefaultButton(MB_OKCANCEL | MB_ICONQUESTION), IDOK);
    EXPECT_EQ(DefaultButton(MB_OKCANCEL | MB_DEFBUTTON2), IDCANCEL);
    EXPECT_EQ(DefaultButton(MB_YESNO), IDYES);
    EXPECT_EQ(DefaultButton(MB_YESNO | MB_DEFBUTTON2), IDNO);
    {
        ScriptedMessageBox script;
        script.setNextAnswer(IDCANCEL);
        EXPECT_EQ(MessageBox("Sure?", "Title", MB_OKCANCEL), IDCANCEL);
        EXPECT_EQ(MessageBox("Again?", "Title", MB_YESNO), IDYES); // queue ran dry
        ASSERT_EQ(script.calls().size(), 2u);
        EXPECT_EQ(script.calls()[0].text, "Sure?");
        EXPECT_EQ(script.calls()[1].flags, MB_YESNO);
    }
    testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBox("File not found", "CueLine", MB_OK | MB_ICONERROR), IDOK);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "CueLine: File not found\n");
}

// Print page heights and dialog units both scale through MulDiv, with Windows' rounding and
// failures.
TEST(MulDiv, RoundsHalfAwayFromZeroAndFailsAsWindowsDoes) {
    struct Case {
        int a, b, c, expect;
    } cases[] = {
        {10, 3, 4, 8},            // 7.5
        {10, 1, 4, 3},            // 2.5
        {-10, 1, 4, -3},          // -2.5
        {10, 1, -4, -3},          // the divisor's sign counts too
        {-10, -1, -4, -3},        //
        {7, 1, 2, 4},             //
        {1, 1, 3, 0},             // a third rounds down
        {2, 1, 3, 1},             // two thirds round up
        {-2, 1, 3, -1},           //
        {1 << 30, 4, 8, 1 << 29}, // the product needs 64 bits
        {INT_MAX, INT_MAX, INT_MAX, INT_MAX},
        {700, 13860, 9921, 978}, // an A4 page 700 pixels wide
        {185, 6, 4, 278},        // dialog units across
        {4, 13, 8, 7},           // and down
        {5, 1, 0, -1},           // division by zero
        {INT_MAX, 2, 1, -1},     // too large
        {INT_MIN, 2, 1, -1},     // too small
    };
    for (const Case& c : cases)
        EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.expect) << c.a << "*" << c.b << "/" << c.c;
}
