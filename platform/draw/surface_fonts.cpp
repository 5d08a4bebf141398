#include "platform/qt/surface_fonts.h"

#include "platform/draw/surface.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tnv {

namespace surfacefonts {

constexpr int defaultPixelSize = 12;

namespace {

// The Windows face names the programs ask for, and the metric-compatible fonts installed here.
QString substitute(const QString& face) {
    QString f = face.toLower();
    if (f == "arial" || f == "helvetica" || f == "ms sans serif" || f == "ms shell dlg" ||
        f == "ms shell dlg 2")
        return "Liberation Sans";
    if (f == "times new roman" || f == "times")
        return "Liberation Serif";
    if (f == "courier new" || f == "courier")
        return "Liberation Mono";
    if (f == "tahoma" || f == "segoe ui" || f == "verdana")
        return "DejaVu Sans";
    return face;
}

} // namespace

QFont toQFont(const FontDesc& desc) {
    QFont font;
    QString face = QString::fromLatin1(desc.faceName, int(strnlen(desc.faceName, LF_FACESIZE)));
    if (!face.isEmpty())
        font.setFamily(substitute(face));
    font.setStyleStrategy(QFont::PreferMatch);
    font.setHintingPreference(QFont::PreferFullHinting);
    if (desc.height < 0) {
        font.setPixelSize(-desc.height);
    } else if (desc.height > 0) {
        // A positive height is the whole character cell: scale the em size to fit it.
        font.setPixelSize(desc.height);
        int cell = QFontMetrics(font).height();
        if (cell > 0 && cell != desc.height)
            font.setPixelSize(
                std::max(1, int(std::lround(double(desc.height) * desc.height / cell))));
    } else {
        font.setPixelSize(defaultPixelSize);
    }
    int weight = desc.weight <= 0 ? FW_NORMAL : std::clamp(desc.weight, 1, 1000);
    font.setWeight(QFont::Weight(weight));
    font.setItalic(desc.italic != 0);
    font.setUnderline(desc.underline != 0);
    font.setStrikeOut(desc.strikeOut != 0);
    return font;
}

FontDesc fromQFont(const QFont& font) {
    FontDesc d;
    d.setFaceName(font.family().toStdString());
    int px = font.pixelSize();
    if (px <= 0)
        px = int(std::lround(font.pointSizeF() * 96.0 / 72.0));
    d.height = -std::max(px, 1);
    d.weight = int(font.weight());
    d.italic = font.italic() ? 1 : 0;
    return d;
}

int toQtTextFlags(UINT format) {
    int flags = 0;
    if (format & DT_RIGHT)
        flags |= Qt::AlignRight;
    else if (format & DT_CENTER)
        flags |= Qt::AlignHCenter;
    else
        flags |= Qt::AlignLeft;
    if ((format & DT_SINGLELINE) && (format & DT_VCENTER))
        flags |= Qt::AlignVCenter;
    else if ((format & DT_SINGLELINE) && (format & DT_BOTTOM))
        flags |= Qt::AlignBottom;
    else
        flags |= Qt::AlignTop;
    if (format & DT_SINGLELINE)
        flags |= Qt::TextSingleLine;
    if (format & DT_WORDBREAK)
        flags |= Qt::TextWordWrap;
    if (format & DT_EXPANDTABS)
        flags |= Qt::TextExpandTabs;
    if (!(format & DT_NOPREFIX))
        flags |= Qt::TextShowMnemonic;
    if (format & DT_NOCLIP)
        flags |= Qt::TextDontClip;
    return flags;
}

QString normaliseLineEnds(QString text, UINT) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QChar('\r'), QChar('\n'));
    return text;
}

} // namespace surfacefonts

FontDesc SystemMessageFont() {
    // The message font of the desktops the programs were laid out for: 8 points at 96 dpi in a
    // sans-serif face with Arial's metrics. Their fixed column widths (27 pixels for "000", 140
    // for a file name) assume it; the desktop's own, larger font would cut those texts.
    FontDesc d;
    d.height = -11;
    d.setFaceName("Liberation Sans");
    return d;
}

} // namespace tnv
