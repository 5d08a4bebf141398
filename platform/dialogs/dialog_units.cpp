#include "platform/dialogs/dialog_units.h"

#include "platform/qt/qtbridge.h"

#include <QFontMetrics>
#include <QStringList>

#include <algorithm>

namespace tnv {

namespace dialogunits {

void substituteWindowsFaces() {
    static bool done = false;
    if (done)
        return;
    done = true;
    const QStringList sans{"Liberation Sans", "Arimo", "DejaVu Sans"};
    for (const char* face : {"MS Sans Serif", "MS Shell Dlg", "MS Shell Dlg 2", "Arial"})
        QFont::insertSubstitutions(face, sans);
}

namespace {

// A dialog template without a font size means the usual 8 points.
int pointsOrDefault(int points) {
    return points > 0 ? points : 8;
}

} // namespace

QFont font(const std::string& face, int points) {
    substituteWindowsFaces();
    QFont result(qtbridge::toQString(face));
    result.setPixelSize(std::max(1, MulDiv(pointsOrDefault(points), 96, 72)));
    return result;
}

Units::Units(const std::string& face, int points) {
    points = pointsOrDefault(points);
    // The stand-ins of MS Sans Serif measure a pixel off its 6 by 13 (Liberation Sans is 12
    // high, DejaVu Sans 7 wide): the dialogs keep the size they were laid out for.
    if (face == "MS Sans Serif" && points == 8)
        return;
    QFontMetrics metrics(font(face, points));
    // The average width of the letters, rounded; a font that measures nothing keeps the
    // defaults.
    int width = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    if (width > 0)
        baseX_ = std::max(1, MulDiv(width, 1, 52));
    if (metrics.height() > 0)
        baseY_ = metrics.height();
}

} // namespace dialogunits

} // namespace tnv
