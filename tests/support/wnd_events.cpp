#include "tests/support/wnd_events.h"

#include "platform/base/codepage.h"
#include "platform/qt/qtbridge.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <QWidget>

#include <utility>

using namespace tnv;

namespace wndevents {

namespace {

Qt::KeyboardModifiers modifiers(unsigned mods) {
    Qt::KeyboardModifiers m;
    m.setFlag(Qt::ShiftModifier, mods & SHIFT);
    m.setFlag(Qt::ControlModifier, mods & CTRL);
    m.setFlag(Qt::AltModifier, mods & ALT);
    return m;
}

int qtKey(UINT vk, unsigned mods) {
    if (vk >= 'A' && vk <= 'Z')
        return Qt::Key_A + int(vk - 'A');
    if (vk >= '0' && vk <= '9')
        return Qt::Key_0 + int(vk - '0');
    if (vk >= VK_F1 && vk < VK_F1 + 24)
        return Qt::Key_F1 + int(vk - VK_F1);
    if (vk == VK_TAB)
        return (mods & SHIFT) ? Qt::Key_Backtab : Qt::Key_Tab;
    const std::pair<UINT, int> keys[] = {
        {VK_BACK, Qt::Key_Backspace},  {VK_RETURN, Qt::Key_Return}, {VK_ESCAPE, Qt::Key_Escape},
        {VK_SPACE, Qt::Key_Space},     {VK_PRIOR, Qt::Key_PageUp},  {VK_NEXT, Qt::Key_PageDown},
        {VK_END, Qt::Key_End},         {VK_HOME, Qt::Key_Home},     {VK_LEFT, Qt::Key_Left},
        {VK_UP, Qt::Key_Up},           {VK_RIGHT, Qt::Key_Right},   {VK_DOWN, Qt::Key_Down},
        {VK_INSERT, Qt::Key_Insert},   {VK_DELETE, Qt::Key_Delete}, {VK_SHIFT, Qt::Key_Shift},
        {VK_CONTROL, Qt::Key_Control}, {VK_MENU, Qt::Key_Alt}};
    for (const auto& [v, key] : keys)
        if (v == vk)
            return key;
    return 0;
}

// The client area, or the widget it hands its input to (an edit control's field).
QWidget* target(CWnd& w) {
    QWidget* client = w.clientWidget();
    return client && client->focusProxy() ? client->focusProxy() : client;
}

void mouse(CWnd& w, QEvent::Type type, Point p, Qt::MouseButton button, Qt::MouseButtons buttons,
           unsigned mods) {
    QWidget* t = target(w);
    if (!t)
        return;
    QPointF local(p.x, p.y);
    QMouseEvent e(type, local, t->mapToGlobal(local), button, buttons, modifiers(mods));
    QApplication::sendEvent(t, &e);
}

} // namespace

void Key(CWnd& w, UINT vk, unsigned mods, const std::string& text) {
    QWidget* t = target(w);
    if (!t)
        return;
    QString s = qtbridge::toQString(text);
    QKeyEvent press(QEvent::KeyPress, qtKey(vk, mods), modifiers(mods), s);
    QApplication::sendEvent(t, &press);
    if (!target(w))
        return;
    QKeyEvent release(QEvent::KeyRelease, qtKey(vk, mods), modifiers(mods), s);
    QApplication::sendEvent(t, &release);
}

void Char(CWnd& w, char ch, unsigned mods) {
    const unsigned char b = static_cast<unsigned char>(ch);
    const UINT vk = b >= 'a' && b <= 'z'                               ? UINT(b - 'a' + 'A')
                    : (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') ? UINT(b)
                    : b == ' '                                         ? UINT(VK_SPACE)
                                                                       : 0u;
    Key(w, vk, mods, std::string(1, ch));
}

void Press(CWnd& w, Point p, unsigned mods, bool right) {
    const Qt::MouseButton b = right ? Qt::RightButton : Qt::LeftButton;
    mouse(w, QEvent::MouseButtonPress, p, b, b, mods);
}

void Release(CWnd& w, Point p, unsigned mods, bool right) {
    mouse(w, QEvent::MouseButtonRelease, p, right ? Qt::RightButton : Qt::LeftButton, {}, mods);
}

void DoubleClick(CWnd& w, Point p, unsigned mods) {
    Press(w, p, mods);
    Release(w, p, mods);
    mouse(w, QEvent::MouseButtonDblClick, p, Qt::LeftButton, Qt::LeftButton, mods);
    Release(w, p, mods);
}

void Move(CWnd& w, Point p, bool leftDown, unsigned mods) {
    mouse(w, QEvent::MouseMove, p, Qt::NoButton, leftDown ? Qt::LeftButton : Qt::NoButton, mods);
}

void Wheel(CWnd& w, int delta, Point p, unsigned mods) {
    QWidget* t = target(w);
    if (!t)
        return;
    QPointF local(p.x, p.y);
    QWheelEvent e(local, t->mapToGlobal(local), QPoint(), QPoint(0, delta), Qt::NoButton,
                  modifiers(mods), Qt::NoScrollPhase, false);
    QApplication::sendEvent(t, &e);
}

void ScrollBar(CWnd& w, int bar, UINT code, int pos) {
    QWidget* frame = w.widget();
    if (!frame)
        return;
    Qt::Orientation want = bar == SB_VERT ? Qt::Vertical : Qt::Horizontal;
    QScrollBar* sb = nullptr;
    for (QScrollBar* b : frame->findChildren<QScrollBar*>(Qt::FindDirectChildrenOnly))
        if (b->orientation() == want)
            sb = b;
    if (!sb)
        return;
    if (code == SB_THUMBTRACK) {
        sb->setSliderDown(true);
        sb->setSliderPosition(pos);
        sb->setSliderDown(false);
        return;
    }
    using A = QAbstractSlider;
    const std::pair<UINT, A::SliderAction> actions[] = {
        {SB_LINEDOWN, A::SliderSingleStepAdd}, {SB_LINEUP, A::SliderSingleStepSub},
        {SB_PAGEDOWN, A::SliderPageStepAdd},   {SB_PAGEUP, A::SliderPageStepSub},
        {SB_TOP, A::SliderToMinimum},          {SB_BOTTOM, A::SliderToMaximum}};
    for (const auto& [c, action] : actions)
        if (c == code)
            sb->triggerAction(action);
}

} // namespace wndevents
