// How well one colour reads on another, by the measure of the web's accessibility guidelines
// (WCAG): a contrast ratio from 1 (the same colour) to 21 (black on white); body text wants 4.5.
#pragma once

#include "platform/base/types.h"

#include <algorithm>
#include <cmath>

namespace tnv {

namespace contrast {

constexpr double kReadable = 4.5;

// The relative luminance of an sRGB colour, 0 for black to 1 for white.
inline double luminance(COLORREF c) {
    auto linear = [](unsigned channel) {
        double v = channel / 255.0;
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(GetRValue(c)) + 0.7152 * linear(GetGValue(c)) +
           0.0722 * linear(GetBValue(c));
}

inline double ratio(COLORREF a, COLORREF b) {
    double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// Black or white, whichever reads better on `back`.
inline COLORREF textOn(COLORREF back) {
    constexpr COLORREF black = RGB(0, 0, 0), white = RGB(255, 255, 255);
    return ratio(black, back) >= ratio(white, back) ? black : white;
}

// `text` where it reads well enough on `back`, else black or white.
inline COLORREF readableOn(COLORREF text, COLORREF back) {
    return ratio(text, back) >= kReadable ? text : textOn(back);
}

} // namespace contrast

} // namespace tnv
