#include "platform/window/wnd.h"

#include "platform/draw/surface.h"
#include "platform/draw/syscolors.h"
#include "platform/qt/qtbridge.h"
#include "platform/qt/wnd_widgets.h"

#include <QCoreApplication>
#include <QStyle>

#include <algorithm>
#include <map>

namespace tnv {

using qtbridge::fromQRect;
using qtbridge::toQRect;

namespace {

std::map<std::string, WndClassInfo>& classes() {
    static std::map<std::string, WndClassInfo> m;
    return m;
}

} // namespace

bool RegisterWndClass(const WndClassInfo& info) {
    if (info.name.empty())
        return false;
    auto it = classes().find(info.name);
    if (it != classes().end())
        return false;
    classes()[info.name] = info;
    return true;
}

bool IsWndClassRegistered(const std::string& name) {
    return classes().count(name) != 0;
}

// --- WndImpl --------------------------------------------------------------------------------

Size WndImpl::clientSize() const {
    if (!client)
        return Size{};
    return Size{client->width(), client->height()};
}

void WndImpl::relayout(bool deliver) {
    if (!frame || !client)
        return;
    int b = (wnd->GetStyle() & WS_BORDER) ? 1 : 0;
    QRect inner = frame->rect().adjusted(b, b, -b, -b);
    int ext = frame->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, frame);
    bool v = sb[SB_VERT].visible, h = sb[SB_HORZ].visible;
    int cw = std::max(0, inner.width() - (v ? ext : 0));
    int ch = std::max(0, inner.height() - (h ? ext : 0));
    Size before = clientSize();
    client->setGeometry(inner.x(), inner.y(), cw, ch);
    bars[SB_VERT]->setGeometry(inner.x() + cw, inner.y(), ext, ch);
    bars[SB_HORZ]->setGeometry(inner.x(), inner.y() + ch, cw, ext);
    bars[SB_VERT]->setVisible(v);
    bars[SB_HORZ]->setVisible(h);
    if (!canvas || !(before == Size{cw, ch}) || canvas->isNull() || !canvasFitsScreen())
        resizeCanvas(cw, ch);
    frame->update();
    if (deliver)
        deliverSize();
}

// Delivers the client size until it stays put: showing or hiding a scroll bar while the window
// handles WM_SIZE changes the client area again.
void WndImpl::deliverSize() {
    if (delivering)
        return;
    delivering = true;
    std::weak_ptr<int> living = alive;
    for (int round = 0; round < 4; ++round) {
        Size s = clientSize();
        if (s == delivered)
            break;
        delivered = s;
        wnd->SendMessage(WM_SIZE, SIZE_RESTORED,
                         MsgParam((s.cx & 0xFFFF) | ((s.cy & 0xFFFF) << 16)));
        if (living.expired())
            return;
    }
    delivering = false;
}

void WndImpl::detachWidgets() {
    for (QScrollBar* q : bars)
        if (q)
            q->disconnect();
    if (client)
        client->impl = nullptr;
    if (frame)
        frame->impl = nullptr;
}

// --- CWnd ------------------------------------------------------------------------------------

CWnd::CWnd() = default;

CWnd::~CWnd() {
    DestroyWindow();
}

QWidget* CWnd::widget() const {
    return impl_ ? impl_->frame : nullptr;
}

QWidget* CWnd::clientWidget() const {
    return impl_ ? impl_->client : nullptr;
}

bool CWnd::Create(const std::string& className, const std::string& title, DWORD style,
                  const Rect& rect, CWnd* parent, UINT id) {
    if (!parent || !parent->impl_)
        return false;
    return createCommon(parent->impl_->client, parent, className, title, style, rect, id);
}

bool CWnd::CreateInWidget(QWidget* host, DWORD style, const Rect& rect, UINT id,
                          const std::string& className) {
    if (!host)
        return false;
    return createCommon(host, nullptr, className, "", style, rect, id);
}

bool CWnd::CreateTopLevel(const std::string& title, DWORD style, const Rect& rect,
                          const std::string& className) {
    return createCommon(nullptr, nullptr, className, title, style, rect, 0);
}

bool CWnd::createCommon(QWidget* host, CWnd* parent, const std::string& className,
                        const std::string& title, DWORD style, const Rect& rect, UINT id) {
    if (impl_ || !wndinput::haveApp())
        return false;
    WndClassInfo cls;
    if (!className.empty()) {
        auto it = classes().find(className);
        if (it == classes().end())
            return false;
        cls = it->second;
    } else {
        cls.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
        cls.backgroundSysColor = COLOR_WINDOW;
    }
    parent_ = parent;
    id_ = id;
    style_ = style;
    className_ = className;
    impl_ = std::make_unique<WndImpl>(this, cls);
    WndImpl* impl = impl_.get();
    impl->frame = new WndFrame(host, impl);
    impl->client = new WndClient(impl->frame, impl);
    for (int bar : {SB_HORZ, SB_VERT}) {
        auto* q = new QScrollBar(bar == SB_VERT ? Qt::Vertical : Qt::Horizontal, impl->frame);
        q->hide();
        impl->bars[bar] = q;
        QObject::connect(q, &QAbstractSlider::actionTriggered, impl->frame,
                         [impl, bar](int action) { impl->onBarAction(bar, action); });
        QObject::connect(q, &QAbstractSlider::sliderReleased, impl->frame,
                         [impl, bar]() { impl->onBarReleased(bar); });
    }
    if (!title.empty())
        impl->frame->setWindowTitle(qtbridge::toQString(title));
    impl->frame->setGeometry(toQRect(rect));
    impl->relayout(false);
    if (style & WS_TABSTOP)
        impl->client->setFocusPolicy(Qt::TabFocus);
    impl->client->setCursor(Qt::ArrowCursor);

    std::weak_ptr<int> living = impl->alive;
    if (SendMessage(WM_CREATE) == -1) {
        if (!living.expired())
            DestroyWindow();
        return false;
    }
    if (living.expired())
        return false;
    if (style & WS_VISIBLE)
        impl->frame->show();
    impl->deliverSize();
    return impl_ ? true : false;
}

bool CWnd::DestroyWindow() {
    if (!impl_)
        return false;
    WndImpl* impl = impl_.get();
    std::weak_ptr<int> living = impl->alive;
    SendMessage(WM_DESTROY);
    if (living.expired())
        return true;
    WndFrame* frame = impl->frame;
    impl->detachWidgets();
    wndinput::forget(this);
    std::unique_ptr<WndImpl> dead = std::move(impl_);
    dead.reset();
    if (frame) {
        // A widget cannot be deleted from inside its own event handling: then the event loop
        // deletes it later.
        if (wndinput::eventDepth() == 0) {
            delete frame;
        } else {
            frame->hide();
            frame->setParent(nullptr);
            frame->deleteLater();
        }
    }
    PostNcDestroy();
    return true;
}

void CWnd::windowGone() {
    if (!impl_)
        return;
    std::weak_ptr<int> living = impl_->alive;
    SendMessage(WM_DESTROY);
    if (living.expired() || !impl_)
        return;
    wndinput::forget(this);
    impl_->detachWidgets();
    impl_.reset();
    PostNcDestroy();
}

void CWnd::SetWindowText(const std::string& text) {
    if (impl_)
        impl_->frame->setWindowTitle(qtbridge::toQString(text));
}

std::string CWnd::GetWindowText() const {
    return impl_ ? qtbridge::fromQString(impl_->frame->windowTitle()) : std::string();
}

LRESULT CWnd::SendMessage(UINT msg, WPARAM wp, MsgParam lp) {
    if (!impl_)
        return 0;
    Current saved = current_;
    current_ = Current{msg, wp, lp};
    std::weak_ptr<int> living = impl_->alive;
    LRESULT r = WindowProc(msg, wp, lp);
    if (!living.expired())
        current_ = saved;
    return r;
}

bool CWnd::PostMessage(UINT msg, WPARAM wp, MsgParam lp) {
    if (!impl_ || !impl_->client)
        return false;
    QCoreApplication::postEvent(impl_->client, new WndPostedMessage(msg, wp, lp));
    return true;
}

LRESULT CWnd::Default() {
    return DefWindowProc(current_.msg, current_.wp, current_.lp);
}

// One case per message, in one table: split up, it would only hide which message reaches which
// handler.
LRESULT CWnd::WindowProc(UINT msg, WPARAM wp, MsgParam lp) {
    auto surfaceOf = [](WPARAM w) { return reinterpret_cast<CDC*>(w); };
    auto lo = [](MsgParam l) { return UINT(l & 0xFFFF); };
    auto hi = [](MsgParam l) { return UINT((l >> 16) & 0xFFFF); };
    switch (msg) {
    case WM_CREATE:
        return OnCreate();
    case WM_DESTROY:
        OnDestroy();
        return 0;
    case WM_CLOSE:
        OnClose();
        return 0;
    case WM_PAINT:
        if (wp)
            OnPaint(*surfaceOf(wp));
        return 0;
    case WM_ERASEBKGND:
        return wp ? OnEraseBkgnd(*surfaceOf(wp)) : 0;
    case WM_SIZE:
        OnSize(UINT(wp), int(lo(lp)), int(hi(lp)));
        return 0;
    case WM_HSCROLL:
        OnHScroll(LOWORD(wp), HIWORD(wp));
        return 0;
    case WM_VSCROLL:
        OnVScroll(LOWORD(wp), HIWORD(wp));
        return 0;
    case WM_SETFONT:
        OnSetFont(reinterpret_cast<const FontDesc*>(wp), bool(lp));
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(OnGetFont());
    case WM_SYSCOLORCHANGE:
        OnSysColorChange();
        return 0;
    case WM_SETFOCUS:
        OnSetFocus(reinterpret_cast<CWnd*>(wp));
        return 0;
    case WM_KILLFOCUS:
        OnKillFocus(reinterpret_cast<CWnd*>(wp));
        return 0;
    case WM_KEYDOWN:
        OnKeyDown(UINT(wp), lo(lp), hi(lp));
        return 0;
    case WM_KEYUP:
        OnKeyUp(UINT(wp), lo(lp), hi(lp));
        return 0;
    case WM_CHAR:
        OnChar(UINT(wp), lo(lp), hi(lp));
        return 0;
    case WM_SYSCHAR:
        OnSysChar(UINT(wp), lo(lp), hi(lp));
        return 0;
    case WM_GETDLGCODE:
        return LRESULT(OnGetDlgCode());
    case WM_MOUSEMOVE:
        OnMouseMove(UINT(wp), POINTFROMPARAM(lp));
        return 0;
    case WM_LBUTTONDOWN:
        OnLButtonDown(UINT(wp), POINTFROMPARAM(lp));
        return 0;
    case WM_LBUTTONUP:
        OnLButtonUp(UINT(wp), POINTFROMPARAM(lp));
        return 0;
    case WM_LBUTTONDBLCLK:
        OnLButtonDblClk(UINT(wp), POINTFROMPARAM(lp));
        return 0;
    case WM_RBUTTONDOWN:
        OnRButtonDown(UINT(wp), POINTFROMPARAM(lp));
        return 0;
    case WM_RBUTTONUP:
        OnRButtonUp(UINT(wp), POINTFROMPARAM(lp));
        return 0;
    case WM_MOUSEWHEEL:
        return OnMouseWheel(LOWORD(wp), short(HIWORD(wp)), POINTFROMPARAM(lp));
    case WM_SETCURSOR:
        return OnSetCursor(reinterpret_cast<CWnd*>(wp), lo(lp), hi(lp));
    case WM_TIMER:
        OnTimer(UINT(wp));
        return 0;
    case WM_CAPTURECHANGED:
        OnCaptureChanged(reinterpret_cast<CWnd*>(lp));
        return 0;
    case WM_NOTIFY: {
        LRESULT result = 0;
        if (OnNotify(wp, reinterpret_cast<NMHDR*>(lp), &result))
            return result;
        return DefWindowProc(msg, wp, lp);
    }
    case WM_COMMAND:
        if (OnCommand(wp, lp))
            return 0;
        return DefWindowProc(msg, wp, lp);
    default:
        return DefWindowProc(msg, wp, lp);
    }
}

LRESULT CWnd::DefWindowProc(UINT msg, WPARAM wp, MsgParam) {
    switch (msg) {
    case WM_ERASEBKGND: {
        if (!impl_ || impl_->cls.backgroundSysColor < 0 || !wp)
            return 0;
        CDC* dc = reinterpret_cast<CDC*>(wp);
        Rect box;
        if (dc->GetClipBox(&box))
            dc->FillSolidRect(box, GetSysColor(impl_->cls.backgroundSysColor));
        return 1;
    }
    case WM_CLOSE:
        DestroyWindow();
        return 0;
    case WM_SETCURSOR:
        if (impl_)
            SetCursor(impl_->cls.cursor);
        return 1;
    default:
        return 0;
    }
}

void CWnd::OnPaint(CDC&) {}

bool CWnd::OnEraseBkgnd(CDC&) {
    return bool(Default());
}

void CWnd::OnSize(UINT, int, int) {
    Default();
}

void CWnd::OnSetFont(const FontDesc*, bool) {
    Default();
}

const FontDesc* CWnd::OnGetFont() {
    return nullptr;
}

bool CWnd::OnMouseWheel(UINT, short, Point) {
    return bool(Default());
}

bool CWnd::OnSetCursor(CWnd*, UINT, UINT) {
    return bool(Default());
}

bool CWnd::OnNotify(WPARAM, NMHDR*, LRESULT*) {
    return false;
}

bool CWnd::OnCommand(WPARAM, MsgParam) {
    return false;
}

// --- geometry and painting ------------------------------------------------------------------

void CWnd::GetClientRect(Rect* rect) const {
    if (!rect)
        return;
    Size s = impl_ ? impl_->clientSize() : Size{};
    *rect = Rect{0, 0, s.cx, s.cy};
}

void CWnd::GetWindowRect(Rect* rect) const {
    if (!rect)
        return;
    *rect = impl_ ? fromQRect(impl_->frame->geometry()) : Rect{};
}

bool CWnd::MoveWindow(const Rect& rect, bool repaint) {
    if (!impl_)
        return false;
    impl_->frame->setGeometry(toQRect(rect));
    impl_->relayout();
    if (repaint && impl_)
        Invalidate(true);
    return true;
}

void CWnd::ShowWindow(bool show) {
    if (impl_)
        impl_->frame->setVisible(show);
}

bool CWnd::IsWindowVisible() const {
    return impl_ && impl_->frame->isVisible();
}

void CWnd::ClientToScreen(Point* p) const {
    if (p && impl_)
        *p = qtbridge::fromQPoint(impl_->client->mapToGlobal(qtbridge::toQPoint(*p)));
}

void CWnd::ScreenToClient(Point* p) const {
    if (p && impl_)
        *p = qtbridge::fromQPoint(impl_->client->mapFromGlobal(qtbridge::toQPoint(*p)));
}

} // namespace tnv
