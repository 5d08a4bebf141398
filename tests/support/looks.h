// The desktop's look, for the tests of what can be read on it: Qt's Fusion style with its own
// light palette or a dark one, and how far a drawn text stands out from what lies under it.
#pragma once

#include "platform/contrast.h"

#include <QApplication>
#include <QImage>
#include <QPalette>
#include <QRect>
#include <QStyle>
#include <QStyleFactory>

#include <algorithm>
#include <cmath>

namespace looks {

// The palette dark themes give Fusion: light text on dark grey, a blue highlight.
inline QPalette darkPalette() {
    QPalette p;
    const QColor window(53, 53, 53), base(35, 35, 35), text(236, 236, 236);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::ToolTipBase, window);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, window);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, Qt::red);
    p.setColor(QPalette::Light, QColor(80, 80, 80));
    p.setColor(QPalette::Midlight, QColor(66, 66, 66));
    p.setColor(QPalette::Dark, QColor(25, 25, 25));
    p.setColor(QPalette::Mid, QColor(40, 40, 40));
    p.setColor(QPalette::Shadow, QColor(10, 10, 10));
    p.setColor(QPalette::Highlight, QColor(42, 130, 218));
    p.setColor(QPalette::HighlightedText, Qt::black);
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(127, 127, 127));
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(127, 127, 127));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(127, 127, 127));
    return p;
}

// Fusion with a light or a dark palette while it lives; the look before it afterwards. Windows
// made inside it take its colours.
class Scope {
public:
    explicit Scope(bool dark)
        : style_(QApplication::style()->name()), palette_(QApplication::palette()) {
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QApplication::setPalette(dark ? darkPalette() : QApplication::style()->standardPalette());
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
