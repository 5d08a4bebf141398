#include "platform/base/types.h"

#include <gtest/gtest.h>

#include <climits>

using namespace tnv;

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
