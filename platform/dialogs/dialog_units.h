// Dialog units, the layout unit of dialog resources (platform-internal): a quarter of the dialog
// font's average character width across and an eighth of its height down, rounded half away
// from zero. Every dialog of the programs is laid out through here, so
// that the same units give the same pixels in each of them.
#pragma once

#include "platform/base/types.h"

#include <QFont>
#include <QRect>

#include <string>

namespace tnv {

namespace dialogunits {

// The dialog font: `points` at 96 dots per inch, so a dialog has the same pixel size on every
// screen; the dialog faces are drawn with their metric-compatible stand-ins.
QFont font(const std::string& face, int points);

// Makes Qt draw the dialog faces MS Sans Serif and MS Shell Dlg (and Arial) with the installed
// look-alikes.
void substituteWindowsFaces();

class Units {
public:
    Units() = default;
    // The base units of a dialog font (the face and size the dialog template names).
    Units(const std::string& face, int points);

    int baseX() const { return baseX_; }
    int baseY() const { return baseY_; }
    int x(int units) const { return MulDiv(units, baseX_, 4); }
    int y(int units) const { return MulDiv(units, baseY_, 8); }
    QRect rect(int left, int top, int width, int height) const {
        return QRect(x(left), y(top), x(width), y(height));
    }

private:
    // "MS Sans Serif" at 8 points, the font the dialogs were laid out in.
    int baseX_ = 6;
    int baseY_ = 13;
};

} // namespace dialogunits

} // namespace tnv
