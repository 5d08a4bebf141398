// Which window has the keyboard focus and the mouse capture, the cursor, and window timers.
#include "platform/window/wnd.h"

#include "platform/qt/wnd_widgets.h"

#include <QApplication>

#include <algorithm>
#include <optional>

namespace tnv {

namespace {

CWnd* focusWnd = nullptr;
CWnd* captureWnd = nullptr;
std::optional<Rect> cursorClip;
Point lastCursor;

} // namespace

// Focus changes take effect at once, whether or not the platform's window is
// active; the platform's own focus follows where it can.
CWnd* CWnd::SetFocus() {
    CWnd* previous = focusWnd;
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

CWnd* CWnd::GetFocus() {
    return focusWnd;
}

CWnd* CWnd::SetCapture() {
    CWnd* previous = captureWnd;
    if (!impl_)
        return previous;
    captureWnd = this;
    if (previous && previous != this)
        previous->SendMessage(WM_CAPTURECHANGED, 0, reinterpret_cast<MsgParam>(this));
    return previous;
}

bool CWnd::ReleaseCapture() {
    CWnd* previous = std::exchange(captureWnd, nullptr);
    if (previous)
        previous->SendMessage(WM_CAPTURECHANGED, 0, 0);
    return true;
}

CWnd* CWnd::GetCapture() {
    return captureWnd;
}

void CWnd::ClipCursor(const Rect* screenRect) {
    if (screenRect)
        cursorClip = *screenRect;
    else
        cursorClip.reset();
}

Point CWnd::GetCursorPos() {
    return lastCursor;
}

void CWnd::SetCursor(Cursor c) {
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

UINT CWnd::SetTimer(UINT id, UINT milliseconds) {
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

bool CWnd::KillTimer(UINT id) {
    if (!impl_)
        return false;
    auto it = impl_->timers.find(id);
    if (it == impl_->timers.end())
        return false;
    impl_->client->killTimer(it->second);
    impl_->qtTimers.erase(it->second);
    impl_->timers.erase(it);
    return true;
}

void CWnd::BeginWaitCursor() {
    if (wndinput::haveApp())
        QApplication::setOverrideCursor(Qt::WaitCursor);
}

void CWnd::EndWaitCursor() {
    if (wndinput::haveApp() && QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

namespace wndinput {
bool haveApp() {
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}
void forget(CWnd* w) {
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
CWnd*& focus() {
    return focusWnd;
}
CWnd* capture() {
    return captureWnd;
}
} // namespace wndinput

} // namespace tnv
