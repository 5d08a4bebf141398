#include "platform/wnd.h"

#include "platform/qtbridge.h"
#include "platform/surface.h"
#include "platform/syscolors.h"
#include "platform/wnd_widgets.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QStyle>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <optional>

using qtbridge::fromQRect;
using qtbridge::toQColor;
using qtbridge::toQRect;

namespace {

std::map<std::string, WndClassInfo>& classes() {
    static std::map<std::string, WndClassInfo> m;
    return m;
}

Wnd* focusWnd = nullptr;
Wnd* captureWnd = nullptr;
std::optional<Rect> cursorClip;
Point lastCursor;

bool haveApp() {
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

// A surface on a window's client image for drawing outside WM_PAINT; the window shows what was
// drawn when the surface is released.
class CanvasSurface : public Surface {
public:
    CanvasSurface(std::shared_ptr<QImage> canvas, Size size, QWidget* client)
        : canvas_(std::move(canvas)), client_(client), painter_(canvas_.get()) {
        if (painter_.isActive())
            attach(&painter_, Rect{0, 0, size.cx, size.cy}, canvas_.get());
    }
    ~CanvasSurface() override {
        if (painter_.isActive())
            painter_.end();
        if (client_)
            client_->update();
    }
    bool ok() const { return painter_.isActive(); }

private:
    std::shared_ptr<QImage> canvas_;
    QPointer<QWidget> client_;
    QPainter painter_;
};

} // namespace

BOOL RegisterWndClass(const WndClassInfo& info) {
    if (info.name.empty())
        return FALSE;
    auto it = classes().find(info.name);
    if (it != classes().end())
        return FALSE;
    classes()[info.name] = info;
    return TRUE;
}

BOOL IsWndClassRegistered(const std::string& name) {
    return classes().count(name) != 0;
}

// --- WndImpl --------------------------------------------------------------------------------

int WndImpl::maxPos(const Bar& b) {
    long long top = (long long)b.max - std::max<long long>((long long)b.page - 1, 0);
    return int(std::max<long long>(top, b.min));
}

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

double WndImpl::screenRatio() const {
    return client ? client->devicePixelRatioF() : 1.0;
}

bool WndImpl::canvasFitsScreen() const {
    return canvas && canvas->devicePixelRatio() == screenRatio();
}

void WndImpl::resizeCanvas(int w, int h) {
    // Never empty: a window without area can still measure text on its surface.
    w = std::max(w, 1);
    h = std::max(h, 1);
    auto img = std::make_shared<QImage>(qtbridge::imageAtRatio(w, h, screenRatio()));
    COLORREF bg = cls.backgroundSysColor >= 0 ? GetSysColor(cls.backgroundSysColor)
                                              : GetSysColor(COLOR_WINDOW);
    img->fill(toQColor(bg));
    canvas = std::move(img);
    canvasSize = canvas->isNull() ? Size{} : Size{w, h};
    invalid = QRegion(0, 0, w, h);
    erase = true;
    if (client)
        client->update();
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
                         MSGPARAM((s.cx & 0xFFFF) | ((s.cy & 0xFFFF) << 16)));
        if (living.expired())
            return;
    }
    delivering = false;
}

void WndImpl::paintPending() {
    if (!canvas || invalid.isEmpty() || !wnd)
        return;
    // The image outlives the painter even if the window goes away while it paints.
    std::shared_ptr<QImage> image = canvas;
    QPainter p(image.get());
    if (!p.isActive())
        return; // someone draws on it now; the area stays invalid
    QRect box = invalid.boundingRect() & canvasRect();
    invalid = QRegion();
    bool doErase = std::exchange(erase, false);
    if (box.isEmpty())
        return;
    Surface s(&p, fromQRect(box));
    std::weak_ptr<int> living = alive;
    if (doErase)
        wnd->SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(&s));
    if (living.expired())
        return;
    wnd->SendMessage(WM_PAINT, reinterpret_cast<WPARAM>(&s));
    if (living.expired())
        return;
    if (client)
        client->update(box);
}

void WndImpl::syncBar(int bar) {
    QScrollBar* q = bars[bar];
    if (!q)
        return;
    const Bar& s = sb[bar];
    QSignalBlocker block(q);
    q->setRange(s.min, maxPos(s));
    q->setPageStep(int(std::max<UINT>(s.page, 1)));
    q->setSingleStep(1);
    q->setValue(s.tracking ? s.track : s.pos);
}

void WndImpl::onBarAction(int bar, int action) {
    QScrollBar* q = bars[bar];
    int proposed = q->sliderPosition();
    UINT code;
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
        code = SB_LINEDOWN;
        break;
    case QAbstractSlider::SliderSingleStepSub:
        code = SB_LINEUP;
        break;
    case QAbstractSlider::SliderPageStepAdd:
        code = SB_PAGEDOWN;
        break;
    case QAbstractSlider::SliderPageStepSub:
        code = SB_PAGEUP;
        break;
    case QAbstractSlider::SliderToMinimum:
        code = SB_TOP;
        break;
    case QAbstractSlider::SliderToMaximum:
        code = SB_BOTTOM;
        break;
    case QAbstractSlider::SliderMove:
        code = SB_THUMBTRACK;
        break;
    default:
        return;
    }
    // Windows' bars do not move by themselves: the window answers the message and sets the
    // position, or the thumb goes back.
    if (code == SB_THUMBTRACK) {
        sb[bar].tracking = true;
        sb[bar].track = proposed;
    } else {
        q->setSliderPosition(sb[bar].pos);
    }
    std::weak_ptr<int> living = alive;
    wnd->SendMessage(bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL,
                     MAKEWPARAM(code, code == SB_THUMBTRACK ? unsigned(proposed) : 0u));
    if (!living.expired())
        syncBar(bar);
}

void WndImpl::onBarReleased(int bar) {
    Bar& s = sb[bar];
    if (!s.tracking)
        return;
    UINT msg = bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL;
    std::weak_ptr<int> living = alive;
    wnd->SendMessage(msg, MAKEWPARAM(SB_THUMBPOSITION, unsigned(s.track)));
    if (living.expired())
        return;
    s.tracking = false;
    wnd->SendMessage(msg, MAKEWPARAM(SB_ENDSCROLL, 0));
    if (!living.expired())
        syncBar(bar);
}

// --- Wnd ------------------------------------------------------------------------------------

Wnd::Wnd() = default;

Wnd::~Wnd() {
    DestroyWindow();
}

QWidget* Wnd::widget() const {
    return impl_ ? impl_->frame : nullptr;
}

QWidget* Wnd::clientWidget() const {
    return impl_ ? impl_->client : nullptr;
}

BOOL Wnd::Create(const std::string& className, const std::string& title, DWORD style,
                 const Rect& rect, Wnd* parent, UINT id) {
    if (!parent || !parent->impl_)
        return FALSE;
    return createCommon(parent->impl_->client, parent, className, title, style, rect, id);
}

BOOL Wnd::CreateInWidget(QWidget* host, DWORD style, const Rect& rect, UINT id,
                         const std::string& className) {
    if (!host)
        return FALSE;
    return createCommon(host, nullptr, className, "", style, rect, id);
}

BOOL Wnd::CreateTopLevel(const std::string& title, DWORD style, const Rect& rect,
                         const std::string& className) {
    return createCommon(nullptr, nullptr, className, title, style, rect, 0);
}

BOOL Wnd::createCommon(QWidget* host, Wnd* parent, const std::string& className,
                       const std::string& title, DWORD style, const Rect& rect, UINT id) {
    if (impl_ || !haveApp())
        return FALSE;
    WndClassInfo cls;
    if (!className.empty()) {
        auto it = classes().find(className);
        if (it == classes().end())
            return FALSE;
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
        return FALSE;
    }
    if (living.expired())
        return FALSE;
    if (style & WS_VISIBLE)
        impl->frame->show();
    impl->deliverSize();
    return impl_ ? TRUE : FALSE;
}

BOOL Wnd::DestroyWindow() {
    if (!impl_)
        return FALSE;
    WndImpl* impl = impl_.get();
    std::weak_ptr<int> living = impl->alive;
    SendMessage(WM_DESTROY);
    if (living.expired())
        return TRUE;
    WndFrame* frame = impl->frame;
    for (QScrollBar* q : impl->bars)
        if (q)
            q->disconnect();
    if (impl->client)
        impl->client->impl = nullptr;
    if (frame)
        frame->impl = nullptr;
    if (focusWnd == this)
        focusWnd = nullptr;
    if (captureWnd == this)
        captureWnd = nullptr;
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
    return TRUE;
}

void Wnd::windowGone() {
    if (!impl_)
        return;
    std::weak_ptr<int> living = impl_->alive;
    SendMessage(WM_DESTROY);
    if (living.expired() || !impl_)
        return;
    if (focusWnd == this)
        focusWnd = nullptr;
    if (captureWnd == this)
        captureWnd = nullptr;
    for (QScrollBar* q : impl_->bars)
        if (q)
            q->disconnect();
    if (impl_->client)
        impl_->client->impl = nullptr;
    impl_.reset();
    PostNcDestroy();
}

void Wnd::SetWindowText(const std::string& text) {
    if (impl_)
        impl_->frame->setWindowTitle(qtbridge::toQString(text));
}

std::string Wnd::GetWindowText() const {
    return impl_ ? qtbridge::fromQString(impl_->frame->windowTitle()) : std::string();
}

LRESULT Wnd::SendMessage(UINT msg, WPARAM wp, MSGPARAM lp) {
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

BOOL Wnd::PostMessage(UINT msg, WPARAM wp, MSGPARAM lp) {
    if (!impl_ || !impl_->client)
        return FALSE;
    QCoreApplication::postEvent(impl_->client, new WndPostedMessage(msg, wp, lp));
    return TRUE;
}

LRESULT Wnd::Default() {
    return DefWindowProc(current_.msg, current_.wp, current_.lp);
}

LRESULT Wnd::WindowProc(UINT msg, WPARAM wp, MSGPARAM lp) {
    auto surfaceOf = [](WPARAM w) { return reinterpret_cast<Surface*>(w); };
    auto lo = [](MSGPARAM l) { return UINT(l & 0xFFFF); };
    auto hi = [](MSGPARAM l) { return UINT((l >> 16) & 0xFFFF); };
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
        OnSetFont(reinterpret_cast<const FontDesc*>(wp), BOOL(lp));
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(OnGetFont());
    case WM_SYSCOLORCHANGE:
        OnSysColorChange();
        return 0;
    case WM_SETFOCUS:
        OnSetFocus(reinterpret_cast<Wnd*>(wp));
        return 0;
    case WM_KILLFOCUS:
        OnKillFocus(reinterpret_cast<Wnd*>(wp));
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
        return OnSetCursor(reinterpret_cast<Wnd*>(wp), lo(lp), hi(lp));
    case WM_TIMER:
        OnTimer(UINT(wp));
        return 0;
    case WM_CAPTURECHANGED:
        OnCaptureChanged(reinterpret_cast<Wnd*>(lp));
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

LRESULT Wnd::DefWindowProc(UINT msg, WPARAM wp, MSGPARAM) {
    switch (msg) {
    case WM_ERASEBKGND: {
        if (!impl_ || impl_->cls.backgroundSysColor < 0 || !wp)
            return 0;
        Surface* dc = reinterpret_cast<Surface*>(wp);
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

void Wnd::OnPaint(Surface&) {}

BOOL Wnd::OnEraseBkgnd(Surface&) {
    return BOOL(Default());
}

void Wnd::OnSize(UINT, int, int) {
    Default();
}

void Wnd::OnSetFont(const FontDesc*, BOOL) {
    Default();
}

const FontDesc* Wnd::OnGetFont() {
    return nullptr;
}

BOOL Wnd::OnMouseWheel(UINT, short, Point) {
    return BOOL(Default());
}

BOOL Wnd::OnSetCursor(Wnd*, UINT, UINT) {
    return BOOL(Default());
}

BOOL Wnd::OnNotify(WPARAM, NMHDR*, LRESULT*) {
    return FALSE;
}

BOOL Wnd::OnCommand(WPARAM, MSGPARAM) {
    return FALSE;
}

// --- geometry and painting ------------------------------------------------------------------

void Wnd::GetClientRect(Rect* rect) const {
    if (!rect)
        return;
    Size s = impl_ ? impl_->clientSize() : Size{};
    *rect = Rect{0, 0, s.cx, s.cy};
}

void Wnd::GetWindowRect(Rect* rect) const {
    if (!rect)
        return;
    *rect = impl_ ? fromQRect(impl_->frame->geometry()) : Rect{};
}

BOOL Wnd::MoveWindow(const Rect& rect, BOOL repaint) {
    if (!impl_)
        return FALSE;
    impl_->frame->setGeometry(toQRect(rect));
    impl_->relayout();
    if (repaint && impl_)
        Invalidate(TRUE);
    return TRUE;
}

void Wnd::ShowWindow(bool show) {
    if (impl_)
        impl_->frame->setVisible(show);
}

bool Wnd::IsWindowVisible() const {
    return impl_ && impl_->frame->isVisible();
}

void Wnd::ClientToScreen(Point* p) const {
    if (p && impl_)
        *p = qtbridge::fromQPoint(impl_->client->mapToGlobal(qtbridge::toQPoint(*p)));
}

void Wnd::ScreenToClient(Point* p) const {
    if (p && impl_)
        *p = qtbridge::fromQPoint(impl_->client->mapFromGlobal(qtbridge::toQPoint(*p)));
}

void Wnd::Invalidate(BOOL erase) {
    InvalidateRect(nullptr, erase);
}

void Wnd::InvalidateRect(const Rect* rect, BOOL erase) {
    if (!impl_ || !impl_->canvas)
        return;
    QRect all = impl_->canvasRect();
    QRect r = rect ? toQRect(*rect) & all : all;
    if (r.isEmpty())
        return;
    impl_->invalid += r;
    if (erase)
        impl_->erase = true;
    impl_->client->update(r);
}

void Wnd::ValidateRect(const Rect* rect) {
    if (!impl_)
        return;
    if (rect)
        impl_->invalid -= toQRect(*rect);
    else
        impl_->invalid = QRegion();
}

void Wnd::UpdateWindow() {
    if (impl_)
        impl_->paintPending();
}

void Wnd::ScrollWindow(int dx, int dy, const Rect* scroll, const Rect* clip) {
    if (!impl_ || !impl_->canvas)
        return;
    QImage& canvas = *impl_->canvas;
    QRect all = impl_->canvasRect();
    QRect src = (scroll ? toQRect(*scroll) : all) & all;
    QRect clipR = (clip ? toQRect(*clip) : all) & all;
    QRect dst = src.translated(dx, dy);
    // The pixels move in the canvas' physical pixels. A physical pixel belongs to the logical
    // one its edges round to, as in Qt's fills, so a move by a whole number of physical pixels
    // is exact at any scale; at a fractional one an odd move is not, and the area is painted
    // anew instead.
    double ratio = canvas.devicePixelRatio();
    double pdx = dx * ratio, pdy = dy * ratio;
    if (pdx != std::round(pdx) || pdy != std::round(pdy) || canvas.paintingActive()) {
        impl_->invalid += clipR;
        impl_->erase = true;
        impl_->client->update(clipR);
        return;
    }
    auto physical = [ratio](const QRect& r) {
        return QRect(QPoint(qRound(r.x() * ratio), qRound(r.y() * ratio)),
                     QPoint(qRound((r.x() + r.width()) * ratio) - 1,
                            qRound((r.y() + r.height()) * ratio) - 1));
    };
    QRect from = physical(src);
    canvas.setDevicePixelRatio(1);
    QPainter p(&canvas);
    QImage part = canvas.copy(from);
    p.setClipRect(physical(clipR));
    p.drawImage(from.topLeft() + QPoint(int(pdx), int(pdy)), part);
    p.end();
    canvas.setDevicePixelRatio(ratio);
    // Areas still waiting for paint move with the pixels; what the move uncovered is invalid.
    QRegion pending = impl_->invalid & src;
    impl_->invalid += pending.translated(dx, dy) & clipR;
    impl_->invalid += (QRegion(src & clipR) - QRegion(dst)) & clipR;
    impl_->erase = true;
    impl_->client->update(clipR);
}

std::unique_ptr<Surface> Wnd::GetDC() {
    if (!impl_ || !impl_->canvas)
        return nullptr;
    auto dc = std::make_unique<CanvasSurface>(impl_->canvas, impl_->canvasSize, impl_->client);
    if (!dc->ok())
        return nullptr;
    return dc;
}

bool Wnd::SaveWindowImage(const std::string& path) {
    if (!impl_)
        return false;
    // Paint everything pending, children included, then render the frame.
    std::function<void(QWidget*)> flush = [&](QWidget* w) {
        for (QObject* child : w->children()) {
            if (auto* c = dynamic_cast<WndClient*>(child); c && c->impl)
                c->impl->paintPending();
            if (auto* cw = qobject_cast<QWidget*>(child))
                flush(cw);
        }
    };
    impl_->paintPending();
    flush(impl_->frame);
    return qtbridge::savePng(impl_->frame->grab().toImage(), path);
}

// --- scroll bars ----------------------------------------------------------------------------

BOOL Wnd::SetScrollInfo(int bar, const SCROLLINFO& info, BOOL) {
    if (!impl_ || (bar != SB_HORZ && bar != SB_VERT))
        return FALSE;
    WndImpl::Bar& s = impl_->sb[bar];
    if (info.fMask & SIF_RANGE) {
        s.min = info.nMin;
        s.max = std::max(info.nMax, info.nMin);
    }
    if (info.fMask & SIF_PAGE)
        s.page = info.nPage;
    long long range = (long long)s.max - s.min + 1;
    if ((long long)s.page > range)
        s.page = UINT(range);
    if (info.fMask & SIF_POS)
        s.pos = info.nPos;
    s.pos = std::clamp(s.pos, s.min, WndImpl::maxPos(s));
    if (!s.tracking)
        s.track = s.pos;
    bool visible = WndImpl::maxPos(s) > s.min;
    impl_->syncBar(bar);
    if (visible != s.visible) {
        s.visible = visible;
        impl_->relayout();
    }
    return TRUE;
}

BOOL Wnd::GetScrollInfo(int bar, SCROLLINFO* info, UINT mask) const {
    if (!impl_ || !info || (bar != SB_HORZ && bar != SB_VERT))
        return FALSE;
    const WndImpl::Bar& s = impl_->sb[bar];
    info->fMask = mask;
    if (mask & SIF_RANGE) {
        info->nMin = s.min;
        info->nMax = s.max;
    }
    if (mask & SIF_PAGE)
        info->nPage = s.page;
    if (mask & SIF_POS)
        info->nPos = s.pos;
    if (mask & SIF_TRACKPOS)
        info->nTrackPos = s.tracking ? s.track : s.pos;
    return TRUE;
}

int Wnd::SetScrollPos(int bar, int pos, BOOL redraw) {
    if (!impl_ || (bar != SB_HORZ && bar != SB_VERT))
        return 0;
    int previous = impl_->sb[bar].pos;
    SCROLLINFO si;
    si.fMask = SIF_POS;
    si.nPos = pos;
    SetScrollInfo(bar, si, redraw);
    return previous;
}

int Wnd::GetScrollPos(int bar) const {
    SCROLLINFO si;
    return GetScrollInfo(bar, &si, SIF_POS) ? si.nPos : 0;
}

void Wnd::SetScrollRange(int bar, int minPos, int maxPos, BOOL redraw) {
    SCROLLINFO si;
    si.fMask = SIF_RANGE;
    si.nMin = minPos;
    si.nMax = maxPos;
    SetScrollInfo(bar, si, redraw);
}

void Wnd::GetScrollRange(int bar, int* minPos, int* maxPos) const {
    SCROLLINFO si;
    GetScrollInfo(bar, &si, SIF_RANGE);
    if (minPos)
        *minPos = si.nMin;
    if (maxPos)
        *maxPos = si.nMax;
}

bool Wnd::IsScrollBarVisible(int bar) const {
    return impl_ && (bar == SB_HORZ || bar == SB_VERT) && impl_->sb[bar].visible;
}

// --- focus, capture, cursor, timers ---------------------------------------------------------

// Focus changes take effect at once, as on Windows, whether or not the platform's window is
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
    if (haveApp())
        QApplication::setOverrideCursor(Qt::WaitCursor);
}

void Wnd::EndWaitCursor() {
    if (haveApp() && QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

namespace wndinput {
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
