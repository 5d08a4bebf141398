#include "platform/draw/syscolors.h"

#include "platform/qt/qtbridge.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPalette>

#include <map>

namespace tnv {

namespace {

std::map<int, COLORREF>& overrides() {
    static std::map<int, COLORREF> m;
    return m;
}

// Windows' classic scheme, answered when there is no desktop to ask.
COLORREF classicColor(int index) {
    switch (index) {
    case COLOR_WINDOW:
        return RGB(255, 255, 255);
    case COLOR_WINDOWTEXT:
    case COLOR_BTNTEXT:
        return RGB(0, 0, 0);
    case COLOR_HIGHLIGHT:
        return RGB(10, 36, 106);
    case COLOR_HIGHLIGHTTEXT:
    case COLOR_BTNHIGHLIGHT:
        return RGB(255, 255, 255);
    case COLOR_BTNFACE:
    case COLOR_3DLIGHT:
        return RGB(212, 208, 200);
    case COLOR_BTNSHADOW:
    case COLOR_GRAYTEXT:
        return RGB(128, 128, 128);
    case COLOR_3DDKSHADOW:
        return RGB(64, 64, 64);
    default:
        return RGB(0, 0, 0);
    }
}

} // namespace

COLORREF GetSysColor(int index) {
    auto it = overrides().find(index);
    if (it != overrides().end())
        return it->second;
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return classicColor(index);
    QPalette pal = QGuiApplication::palette();
    QPalette::ColorRole role;
    switch (index) {
    case COLOR_WINDOW:
        role = QPalette::Base;
        break;
    case COLOR_WINDOWTEXT:
        role = QPalette::Text;
        break;
    case COLOR_HIGHLIGHT:
        role = QPalette::Highlight;
        break;
    case COLOR_HIGHLIGHTTEXT:
        role = QPalette::HighlightedText;
        break;
    case COLOR_BTNFACE:
        role = QPalette::Button;
        break;
    case COLOR_BTNTEXT:
        role = QPalette::ButtonText;
        break;
    case COLOR_BTNSHADOW:
        role = QPalette::Dark;
        break;
    case COLOR_BTNHIGHLIGHT:
        role = QPalette::Light;
        break;
    case COLOR_3DLIGHT:
        role = QPalette::Midlight;
        break;
    case COLOR_3DDKSHADOW:
        role = QPalette::Shadow;
        break;
    case COLOR_GRAYTEXT:
        return qtbridge::fromQColor(pal.color(QPalette::Disabled, QPalette::Text));
    default:
        return classicColor(index);
    }
    return qtbridge::fromQColor(pal.color(QPalette::Active, role));
}

void SetSysColorOverride(int index, COLORREF color) {
    if (color == CLR_DEFAULT)
        overrides().erase(index);
    else
        overrides()[index] = color;
}

void ResetSysColors() {
    overrides().clear();
}

int GetWheelScrollLines() {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return 3;
    return QApplication::wheelScrollLines();
}

} // namespace tnv
