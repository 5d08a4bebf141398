// Conversions at the Qt boundary: 8-bit Windows-1252 text, rectangles, points and colours.
#pragma once

#include "platform/base/types.h"

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QString>

#include <string>

class QImage;

namespace tnv {

namespace qtbridge {

QString toQString(const std::string& cp1252Text);
// Characters the code page lacks become '?'.
std::string fromQString(const QString& text);

// Rect's right and bottom are exclusive; QRect's are inclusive.
inline QRect toQRect(const Rect& r) {
    return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}
inline Rect fromQRect(const QRect& r) {
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}
inline QPoint toQPoint(Point p) {
    return {p.x, p.y};
}
inline Point fromQPoint(const QPoint& p) {
    return {p.x(), p.y()};
}

inline QColor toQColor(COLORREF c) {
    return QColor(int(GetRValue(c)), int(GetGValue(c)), int(GetBValue(c)));
}
inline COLORREF fromQColor(const QColor& c) {
    return RGB(unsigned(c.red()), unsigned(c.green()), unsigned(c.blue()));
}

// The physical pixels a logical length covers at a device pixel ratio (rounded up).
int physicalLength(int logical, double ratio);
// An image of w x h logical pixels at a device pixel ratio; null when it cannot be had.
QImage imageAtRatio(int w, int h, double ratio);
// Whether logical pixels are whole blocks of physical ones (1x, 2x, 3x).
inline bool wholeRatio(double ratio) {
    return ratio == double(int(ratio));
}

// Saves a picture as a PNG file, whole or not at all (fsx::writeFile); false with the reason
// in `error`.
bool savePng(const QImage& image, const std::string& diskPath, std::string* error = nullptr);

} // namespace qtbridge

} // namespace tnv
