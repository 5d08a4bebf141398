// The widgets behind a CWnd: their Qt events become the window's messages.
#include "platform/base/codepage.h"
#include "platform/draw/syscolors.h"
#include "platform/qt/qtbridge.h"
#include "platform/qt/wnd_widgets.h"
#include "platform/window/qtkeys.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>

namespace tnv {

namespace {

Qt::KeyboardModifiers currentMods;
Qt::MouseButtons currentButtons;
int depth = 0;

struct DepthGuard {
    DepthGuard() { ++depth; }
    ~DepthGuard() { --depth; }
};

UINT virtualKey(const QKeyEvent* e) {
    return wndinput::virtualKeyOfQtKey(e->key());
}

} // namespace

UINT wndinput::virtualKeyOfQtKey(int k) {
    if (k >= Qt::Key_A && k <= Qt::Key_Z)
        return UINT('A' + (k - Qt::Key_A));
    if (k >= Qt::Key_0 && k <= Qt::Key_9)
        return UINT('0' + (k - Qt::Key_0));
    if (k >= Qt::Key_F1 && k <= Qt::Key_F24)
        return VK_F1 + UINT(k - Qt::Key_F1);
    switch (k) {
    case Qt::Key_Backspace:
        return VK_BACK;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return VK_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return VK_RETURN;
    case Qt::Key_Shift:
        return VK_SHIFT;
    case Qt::Key_Control:
        return VK_CONTROL;
    case Qt::Key_Alt:
        return VK_MENU;
    case Qt::Key_CapsLock:
        return VK_CAPITAL;
    case Qt::Key_Escape:
        return VK_ESCAPE;
    case Qt::Key_Space:
        return VK_SPACE;
    case Qt::Key_PageUp:
        return VK_PRIOR;
    case Qt::Key_PageDown:
        return VK_NEXT;
    case Qt::Key_End:
        return VK_END;
    case Qt::Key_Home:
        return VK_HOME;
    case Qt::Key_Left:
        return VK_LEFT;
    case Qt::Key_Up:
        return VK_UP;
    case Qt::Key_Right:
        return VK_RIGHT;
    case Qt::Key_Down:
        return VK_DOWN;
    case Qt::Key_Insert:
        return VK_INSERT;
    case Qt::Key_Delete:
        return VK_DELETE;
    case Qt::Key_NumLock:
        return VK_NUMLOCK;
    case Qt::Key_ScrollLock:
        return VK_SCROLL;
    default:
        return 0;
    }
}

// X11 gives some keys a control character as their text that types nothing: Delete carries DEL,
// for one. Only Backspace, Tab, Enter, Escape and Ctrl held with a key type one.
bool wndinput::typesCharacter(UINT vk, Qt::KeyboardModifiers mods, int byte) {
    if (byte >= 32 && byte != 127)
        return true;
    bool ctrl = mods & Qt::ControlModifier;
    switch (vk) {
    case VK_BACK:
        return byte == 8 || (ctrl && byte == 127);
    case VK_TAB:
        return byte == 9;
    case VK_RETURN:
        return byte == 13 || (ctrl && byte == 10);
    case VK_ESCAPE:
        return byte == 27;
    default:
        break;
    }
    if (!ctrl)
        return false;
    if (vk >= 'A' && vk <= 'Z')
        return byte == int(vk - 'A') + 1;
    // Ctrl with [ \ ] 6 - types ESC, FS, GS, RS and US; those keys have no code of their own here.
    return byte >= 27 && byte <= 31 && (vk == 0 || vk == '6');
}

namespace {

UINT mouseFlags() {
    UINT f = 0;
    if (currentButtons & Qt::LeftButton)
        f |= MK_LBUTTON;
    if (currentButtons & Qt::RightButton)
        f |= MK_RBUTTON;
    if (currentMods & Qt::ShiftModifier)
        f |= MK_SHIFT;
    if (currentMods & Qt::ControlModifier)
        f |= MK_CONTROL;
    return f;
}

} // namespace

int& wndinput::eventDepth() {
    return depth;
}

void wndinput::setInputState(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons) {
    currentMods = mods;
    currentButtons = buttons;
}

UINT wndinput::virtualKeyOf(const QKeyEvent* e) {
    return virtualKey(e);
}

CWnd* wndinput::wndAround(QWidget* w) {
    for (; w; w = w->parentWidget())
        if (CWnd* found = WndClient::wndOf(w))
            return found;
    return nullptr;
}

short GetKeyState(int vk) {
    bool down = false;
    switch (vk) {
    case int(VK_SHIFT):
        down = currentMods & Qt::ShiftModifier;
        break;
    case int(VK_CONTROL):
        down = currentMods & Qt::ControlModifier;
        break;
    case int(VK_MENU):
        down = currentMods & Qt::AltModifier;
        break;
    case 0x01: // left button
        down = currentButtons & Qt::LeftButton;
        break;
    case 0x02: // right button
        down = currentButtons & Qt::RightButton;
        break;
    default:
        break;
    }
    return down ? short(-32768) : short(0);
}

// --- WndFrame -------------------------------------------------------------------------------

WndFrame::WndFrame(QWidget* parent, WndImpl* i) : QWidget(parent), impl(i) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

WndFrame::~WndFrame() {
    // Deleted by its Qt parent while the CWnd still had its window.
    if (impl && impl->wnd)
        impl->wnd->windowGone();
}

void WndFrame::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), qtbridge::toQColor(GetSysColor(COLOR_BTNFACE)));
    if (impl && (impl->wnd->GetStyle() & WS_BORDER)) {
        // Filled, not stroked: a one-pixel frame at any scale, on whole physical pixels.
        QColor c = qtbridge::toQColor(GetSysColor(COLOR_3DDKSHADOW));
        int w = width(), h = height();
        p.fillRect(0, 0, w, 1, c);
        p.fillRect(0, h - 1, w, 1, c);
        p.fillRect(0, 0, 1, h, c);
        p.fillRect(w - 1, 0, 1, h, c);
    }
}

void WndFrame::resizeEvent(QResizeEvent*) {
    if (impl) {
        DepthGuard guard;
        impl->relayout();
    }
}

// The window manager's close button: the window decides through WM_CLOSE.
void WndFrame::closeEvent(QCloseEvent* e) {
    if (!impl) {
        QWidget::closeEvent(e);
        return;
    }
    e->ignore();
    DepthGuard guard;
    impl->wnd->SendMessage(WM_CLOSE);
}

// --- WndClient ------------------------------------------------------------------------------

WndClient::WndClient(QWidget* parent, WndImpl* i) : QWidget(parent), impl(i) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
}

CWnd* WndClient::wndOf(QWidget* w) {
    auto* c = dynamic_cast<WndClient*>(w);
    return c && c->impl ? c->impl->wnd : nullptr;
}

bool WndClient::event(QEvent* e) {
    DepthGuard guard;
    if (!impl)
        return QWidget::event(e);
    if (e->type() == WndPostedMessage::type) {
        auto* m = static_cast<WndPostedMessage*>(e);
        impl->wnd->SendMessage(m->msg, m->wp, m->lp);
        return true;
    }
    // The desktop's colours changed (a switch to a dark theme, say): the window rereads them.
    if (e->type() == QEvent::PaletteChange)
        impl->wnd->SendMessage(WM_SYSCOLORCHANGE, 0, 0);
    if (e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) {
            currentMods = k->modifiers();
            UINT code = UINT(impl->wnd->SendMessage(WM_GETDLGCODE, 0, 0));
            if (code & (DLGC_WANTTAB | DLGC_WANTALLKEYS)) {
                keyPressEvent(k);
                return true;
            }
        }
    }
    return QWidget::event(e);
}

void WndClient::paintEvent(QPaintEvent*) {
    if (!impl || !impl->canvas)
        return;
    impl->freshCanvas();
    impl->paintPending();
    if (!impl || !impl->canvas)
        return;
    // At the widget's own ratio the image goes to the screen pixel for pixel; the painter is
    // clipped to the area to show.
    QPainter p(this);
    p.drawImage(QPointF(0, 0), *impl->canvas);
}

void WndClient::mouseMessage(UINT msg, QMouseEvent* e) {
    if (!impl)
        return;
    currentMods = e->modifiers();
    currentButtons = e->buttons();
    Point pt{int(e->position().x()), int(e->position().y())};
    Point screen = qtbridge::fromQPoint(mapToGlobal(qtbridge::toQPoint(pt)));
    const auto& clip = wndinput::clip();
    if (clip && wndinput::capture() == impl->wnd) {
        screen.x = std::clamp(screen.x, clip->left, clip->right - 1);
        screen.y = std::clamp(screen.y, clip->top, clip->bottom - 1);
        pt = qtbridge::fromQPoint(mapFromGlobal(qtbridge::toQPoint(screen)));
    }
    wndinput::setLastCursor(screen);
    CWnd* w = impl->wnd;
    if (msg == WM_MOUSEMOVE) {
        std::weak_ptr<int> living = impl->alive;
        w->SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(w),
                       MsgParam(1 | (WM_MOUSEMOVE << 16)));
        if (living.expired())
            return;
    }
    w->SendMessage(msg, mouseFlags(), MAKEPOINTPARAM(pt));
}

void WndClient::mousePressEvent(QMouseEvent* e) {
    DepthGuard guard;
    if (e->button() == Qt::LeftButton)
        mouseMessage(WM_LBUTTONDOWN, e);
    else if (e->button() == Qt::RightButton)
        mouseMessage(WM_RBUTTONDOWN, e);
}

void WndClient::mouseReleaseEvent(QMouseEvent* e) {
    DepthGuard guard;
    if (e->button() == Qt::LeftButton)
        mouseMessage(WM_LBUTTONUP, e);
    else if (e->button() == Qt::RightButton)
        mouseMessage(WM_RBUTTONUP, e);
}

void WndClient::mouseDoubleClickEvent(QMouseEvent* e) {
    DepthGuard guard;
    if (e->button() != Qt::LeftButton) {
        mousePressEvent(e);
        return;
    }
    // Without the double-click class style a second click is just another press.
    bool dbl = impl && (impl->cls.style & CS_DBLCLKS);
    mouseMessage(dbl ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN, e);
}

void WndClient::mouseMoveEvent(QMouseEvent* e) {
    DepthGuard guard;
    mouseMessage(WM_MOUSEMOVE, e);
}

void WndClient::wheelEvent(QWheelEvent* e) {
    DepthGuard guard;
    if (!impl)
        return;
    currentMods = e->modifiers();
    currentButtons = e->buttons();
    int delta = std::clamp(e->angleDelta().y(), -32768, 32767);
    Point screen{int(e->globalPosition().x()), int(e->globalPosition().y())};
    impl->wnd->SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(mouseFlags(), unsigned(delta) & 0xFFFFu),
                           MAKEPOINTPARAM(screen));
}

void WndClient::keyPressEvent(QKeyEvent* e) {
    DepthGuard guard;
    if (!impl)
        return;
    currentMods = e->modifiers();
    CWnd* w = impl->wnd;
    std::weak_ptr<int> living = impl->alive;
    UINT vk = virtualKey(e);
    MsgParam lp = MsgParam(std::max(e->count(), 1) & 0xFFFF);
    if (vk)
        w->SendMessage(WM_KEYDOWN, vk, lp);
    if (living.expired())
        return;
    QString text = e->text();
    if (vk == VK_TAB)
        text = QStringLiteral("\t");
    for (QChar ch : text) {
        int byte = cp1252::fromUnicode(ch.unicode());
        if (byte < 0 || !wndinput::typesCharacter(vk, currentMods, byte))
            continue;
        bool alt = currentMods & Qt::AltModifier;
        w->SendMessage(alt ? WM_SYSCHAR : WM_CHAR, WPARAM(byte), lp);
        if (living.expired())
            return;
    }
}

void WndClient::keyReleaseEvent(QKeyEvent* e) {
    DepthGuard guard;
    if (!impl)
        return;
    currentMods = e->modifiers();
    if (UINT vk = virtualKey(e))
        impl->wnd->SendMessage(WM_KEYUP, vk, 1);
}

// The platform moved the keyboard focus by itself (a click, tab navigation, another window):
// tell the windows involved, unless SetFocus already did.
void WndClient::focusInEvent(QFocusEvent*) {
    DepthGuard guard;
    if (!impl)
        return;
    CWnd*& focus = wndinput::focus();
    if (focus == impl->wnd)
        return;
    CWnd* previous = focus;
    focus = impl->wnd;
    if (previous)
        previous->SendMessage(WM_KILLFOCUS, reinterpret_cast<WPARAM>(impl ? impl->wnd : nullptr));
    if (impl && focus == impl->wnd)
        impl->wnd->SendMessage(WM_SETFOCUS, reinterpret_cast<WPARAM>(previous));
}

void WndClient::focusOutEvent(QFocusEvent*) {
    DepthGuard guard;
    if (!impl)
        return;
    CWnd*& focus = wndinput::focus();
    if (focus != impl->wnd)
        return;
    CWnd* next = wndinput::wndAround(QApplication::focusWidget());
    if (next == impl->wnd)
        return;
    focus = next;
    impl->wnd->SendMessage(WM_KILLFOCUS, reinterpret_cast<WPARAM>(next));
    if (next)
        next->SendMessage(WM_SETFOCUS, reinterpret_cast<WPARAM>(impl ? impl->wnd : nullptr));
}

void WndClient::timerEvent(QTimerEvent* e) {
    DepthGuard guard;
    if (!impl)
        return;
    auto it = impl->qtTimers.find(e->timerId());
    if (it != impl->qtTimers.end())
        impl->wnd->SendMessage(WM_TIMER, it->second);
}

} // namespace tnv
