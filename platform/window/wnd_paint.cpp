// A window's pixels: the client image, painting what is invalid, scrolling, and drawing outside a
// paint message.
#include "platform/window/wnd.h"

#include "platform/draw/surface.h"
#include "platform/draw/syscolors.h"
#include "platform/qt/qtbridge.h"
#include "platform/qt/wnd_widgets.h"

#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>

namespace tnv {

using qtbridge::fromQRect;
using qtbridge::toQColor;
using qtbridge::toQRect;

namespace {

// A surface on a window's client image for drawing outside WM_PAINT; the window shows what was
// drawn when the surface is released.
class CanvasSurface : public CDC {
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

double WndImpl::screenRatio() const {
    return client ? client->devicePixelRatioF() : 1.0;
}

bool WndImpl::canvasFitsScreen() const {
    return canvas && canvas->devicePixelRatio() == screenRatio();
}

void WndImpl::resizeCanvas(int w, int h) {
    // Never empty: a window without area can still measure text on its surface.
    canvasSize = Size{std::max(w, 1), std::max(h, 1)};
    invalid = QRegion(0, 0, canvasSize.cx, canvasSize.cy);
    erase = true;
    // The pixels are made when something draws: while a window settles its size its scroll
    // bars come and go, and each size in between would get an image of its own. The first
    // image is made at once, so that a window always has one.
    canvasStale = canvas != nullptr;
    if (!canvas)
        freshCanvas();
    if (client)
        client->update();
}

QImage* WndImpl::freshCanvas() {
    if (!canvas || canvasStale || !canvasFitsScreen()) {
        auto img = std::make_shared<QImage>(
            qtbridge::imageAtRatio(canvasSize.cx, canvasSize.cy, screenRatio()));
        COLORREF bg = cls.backgroundSysColor >= 0 ? GetSysColor(cls.backgroundSysColor)
                                                  : GetSysColor(COLOR_WINDOW);
        img->fill(toQColor(bg));
        if (!canvasFitsScreen() && !canvasStale) {
            invalid = canvasRect();
            erase = true;
        }
        canvas = std::move(img);
        canvasStale = false;
        if (canvas->isNull())
            canvasSize = Size{};
    }
    return canvas->isNull() ? nullptr : canvas.get();
}

void WndImpl::paintPending() {
    if (!canvas || invalid.isEmpty() || !wnd)
        return;
    freshCanvas();
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
    CDC s(&p, fromQRect(box));
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

void CWnd::Invalidate(bool erase) {
    InvalidateRect(nullptr, erase);
}

void CWnd::InvalidateRect(const Rect* rect, bool erase) {
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

void CWnd::ValidateRect(const Rect* rect) {
    if (!impl_)
        return;
    if (rect)
        impl_->invalid -= toQRect(*rect);
    else
        impl_->invalid = QRegion();
}

void CWnd::UpdateWindow() {
    if (impl_)
        impl_->paintPending();
}

void CWnd::ScrollWindow(int dx, int dy, const Rect* scroll, const Rect* clip) {
    if (!impl_ || !impl_->canvas || impl_->canvasStale)
        return; // a new image is painted whole
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

std::unique_ptr<CDC> CWnd::GetDC() {
    if (!impl_ || !impl_->canvas || !impl_->freshCanvas())
        return nullptr;
    auto dc = std::make_unique<CanvasSurface>(impl_->canvas, impl_->canvasSize, impl_->client);
    if (!dc->ok())
        return nullptr;
    return dc;
}

bool CWnd::SaveWindowImage(const std::string& path) {
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

} // namespace tnv
