// The desktop's look, for the tests of what can be read on it: Qt's Fusion style with its own
// light palette or a dark one, and how far a drawn text stands out from what lies under it.
#pragma once

#include "platform/base/contrast.h"

#include <QApplication>
#include <QImage>
#include <QPalette>
#include <QRect>
#include <QStyle>
#include <QStyleFactory>

#include <algorithm>
#include <cmath>

using namespace tnv;

namespace looks {

// Fusion with a light or a dark palette while it lives; the look before it afterwards. Windows
// made inside it take its colours.
class Scope {
public:
    explicit Scope(bool dark)
        : style_(QApplication::style()->name()), palette_(QApplication::palette()) {
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        // A dark palette as Qt derives it from a dark grey, with the blue highlight dark themes
        // use.
        QPalette darkPalette(QColor(53, 53, 53));
        darkPalette.setColor(QPalette::Highlight, QColor(42, 130, 218));
        darkPalette.setColor(QPalette::HighlightedText, Qt::black);
        QApplication::setPalette(dark ? darkPalette : QApplication::style()->standardPalette());
        QApplication::processEvents();
    }
    ~Scope() {
        QApplication::setStyle(QStyleFactory::create(style_));
        QApplication::setPalette(palette_);
        QApplication::processEvents();
    }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

private:
    QString style_;
    QPalette palette_;
};

// The contrast with `under` of the pixel inside `area` (logical pixels) that stands out most:
// the text's colour, as far as the smoothing of its edges lets it show. 1 where nothing is drawn.
inline double textContrast(const QImage& image, const QRect& area, COLORREF under) {
    const double ratio = image.devicePixelRatio();
    const QRect pixels(int(std::ceil(area.left() * ratio)), int(std::ceil(area.top() * ratio)),
                       int(area.width() * ratio) - 1, int(area.height() * ratio) - 1);
    double best = 1;
    for (int y = pixels.top(); y <= pixels.bottom() && y < image.height(); ++y)
        for (int x = pixels.left(); x <= pixels.right() && x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            best = std::max(best, contrast::ratio(RGB(qRed(p), qGreen(p), qBlue(p)), under));
        }
    return best;
}

} // namespace looks
