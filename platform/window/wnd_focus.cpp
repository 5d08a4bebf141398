// Which window has the keyboard focus and the mouse capture, the cursor, and window timers.
#include "platform/window/wnd.h"

#include "platform/qt/wnd_widgets.h"

#include <QApplication>

#include <algorithm>
#include <optional>

namespace {

Wnd* focusWnd = nullptr;
Wnd* captureWnd = nullptr;
std::optional<Rect> cursorClip;
Point lastCursor;

} // namespace

// Focus changes take effect at once, whether or not the platform's window is
// active; the platform's own focus follows where it can.
Wnd* Wnd::SetFocus() {
    Wnd* previous = focusWnd;
    if (!impl_ || previous == this)
        return previous;
    focusWnd = this;
    if (previous)
        previous->SendMessage(WM_KILLFOCUS, reinterpret_cast<WPARAM>(this));
    if (impl_ && focusWnd == this) {
        impl_->client->setFocus(Qt::OtherFocusReason);
        SendMessage(WM_SETFOCUS, reinterpret_cast<WPARAM>(previous));
    }
    return previous;
}

Wnd* Wnd::GetFocus() {
    return focusWnd;
}

Wnd* Wnd::SetCapture() {
    Wnd* previous = captureWnd;
    if (!impl_)
        return previous;
    captureWnd = this;
    if (previous && previous != this)
        previous->SendMessage(WM_CAPTURECHANGED, 0, reinterpret_cast<MSGPARAM>(this));
    return previous;
}

BOOL Wnd::ReleaseCapture() {
    Wnd* previous = std::exchange(captureWnd, nullptr);
    if (previous)
        previous->SendMessage(WM_CAPTURECHANGED, 0, 0);
    return TRUE;
}

Wnd* Wnd::GetCapture() {
    return captureWnd;
}

void Wnd::ClipCursor(const Rect* screenRect) {
    if (screenRect)
        cursorClip = *screenRect;
    else
        cursorClip.reset();
}

Point Wnd::GetCursorPos() {
    return lastCursor;
}

void Wnd::SetCursor(Cursor c) {
    if (!impl_)
        return;
    Qt::CursorShape shape = Qt::ArrowCursor;
    switch (c) {
    case Cursor::SizeWE:
        shape = Qt::SizeHorCursor;
        break;
    case Cursor::SizeNS:
        shape = Qt::SizeVerCursor;
        break;
    case Cursor::Wait:
        shape = Qt::WaitCursor;
        break;
    case Cursor::IBeam:
        shape = Qt::IBeamCursor;
        break;
    default:
        break;
    }
    impl_->client->setCursor(shape);
}

UINT Wnd::SetTimer(UINT id, UINT milliseconds) {
    if (!impl_ || id == 0)
        return 0;
    KillTimer(id);
    int q = impl_->client->startTimer(int(std::min<UINT>(milliseconds, 0x7FFFFFFF)));
    if (q == 0)
        return 0;
    impl_->timers[id] = q;
    impl_->qtTimers[q] = id;
    return id;
}

BOOL Wnd::KillTimer(UINT id) {
    if (!impl_)
        return FALSE;
    auto it = impl_->timers.find(id);
    if (it == impl_->timers.end())
        return FALSE;
    impl_->client->killTimer(it->second);
    impl_->qtTimers.erase(it->second);
    impl_->timers.erase(it);
    return TRUE;
}

void Wnd::BeginWaitCursor() {
    if (wndinput::haveApp())
        QApplication::setOverrideCursor(Qt::WaitCursor);
}

void Wnd::EndWaitCursor() {
    if (wndinput::haveApp() && QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

namespace wndinput {
bool haveApp() {
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}
void forget(Wnd* w) {
    if (focusWnd == w)
        focusWnd = nullptr;
    if (captureWnd == w)
        captureWnd = nullptr;
}
void setLastCursor(Point p) {
    lastCursor = p;
}
const std::optional<Rect>& clip() {
    return cursorClip;
}
Wnd*& focus() {
    return focusWnd;
}
Wnd* capture() {
    return captureWnd;
}
} // namespace wndinput
