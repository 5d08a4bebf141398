// A drawing surface: its objects, state, coordinate mapping and clip; off-screen buffers and
// images.
#include "platform/draw/surface.h"

#include "platform/qt/qtbridge.h"
#include "platform/qt/surface_impl.h"

#include <algorithm>

namespace tnv {

using qtbridge::toQColor;
using qtbridge::toQRect;

Pen StockPen(StockObject which) {
    switch (which) {
    case StockObject::WhitePen:
        return Pen{PS_SOLID, 0, RGB(255, 255, 255)};
    case StockObject::NullPen:
        return Pen{PS_NULL, 0, 0};
    default:
        return Pen{PS_SOLID, 0, RGB(0, 0, 0)};
    }
}

Brush StockBrush(StockObject which) {
    switch (which) {
    case StockObject::BlackBrush:
        return Brush{false, RGB(0, 0, 0)};
    case StockObject::NullBrush:
        return Brush{true, 0};
    default:
        return Brush{false, RGB(255, 255, 255)};
    }
}

CDC::CDC() : d(std::make_unique<SurfaceImpl>()) {
    d->s.font = SystemMessageFont();
}

CDC::CDC(QPainter* painter, const Rect& clip) : CDC() {
    attach(painter, clip, nullptr);
}

CDC::~CDC() = default;

void CDC::attach(QPainter* painter, const Rect& clip, QImage* image) {
    d->p = painter;
    d->image = image;
    d->s.clip = clip;
    if (painter) {
        painter->setRenderHint(QPainter::Antialiasing, false);
        painter->setRenderHint(QPainter::TextAntialiasing, true);
        d->applyTransform();
    }
}

QPainter* CDC::painter() const {
    return d->p;
}

int CDC::SaveDC() {
    d->saved.push_back(d->s);
    return int(d->saved.size());
}

bool CDC::RestoreDC(int level) {
    if (level < 0)
        level = int(d->saved.size()) + 1 + level;
    if (level < 1 || level > int(d->saved.size()))
        return false;
    // Most saves only guard colours, pens and fonts: the painter is set again only when the
    // mapping or the clip changed since.
    bool remap = !sameMapping(d->s, d->saved[std::size_t(level - 1)]);
    d->s = d->saved[std::size_t(level - 1)];
    d->saved.resize(std::size_t(level - 1));
    if (remap)
        d->applyTransform();
    return true;
}

Pen CDC::SelectPen(const Pen& pen) {
    return std::exchange(d->s.pen, pen);
}
Brush CDC::SelectBrush(const Brush& brush) {
    return std::exchange(d->s.brush, brush);
}
FontDesc CDC::SelectFont(const FontDesc& font) {
    return std::exchange(d->s.font, font);
}
FontDesc CDC::SelectFont(const Font& font) {
    return font.desc() ? SelectFont(*font.desc()) : d->s.font;
}
COLORREF CDC::SetTextColor(COLORREF c) {
    return std::exchange(d->s.textColor, c);
}
COLORREF CDC::GetTextColor() const {
    return d->s.textColor;
}
COLORREF CDC::SetBkColor(COLORREF c) {
    return std::exchange(d->s.bkColor, c);
}
int CDC::SetBkMode(int mode) {
    return std::exchange(d->s.bkMode, mode);
}

Point CDC::SetWindowOrg(int x, int y) {
    Point old = std::exchange(d->s.windowOrg, Point{x, y});
    d->applyTransform();
    return old;
}

Point CDC::SetViewportOrg(int x, int y) {
    Point old = std::exchange(d->s.viewportOrg, Point{x, y});
    d->applyTransform();
    return old;
}

int CDC::SetMapMode(int mode) {
    int old = std::exchange(d->s.mapMode, mode == MM_ANISOTROPIC ? MM_ANISOTROPIC : MM_TEXT);
    d->applyTransform();
    return old;
}

Size CDC::SetWindowExt(int cx, int cy) {
    Size old = d->s.windowExt;
    if (d->s.mapMode == MM_ANISOTROPIC && cx != 0 && cy != 0) {
        d->s.windowExt = Size{cx, cy};
        d->applyTransform();
    }
    return old;
}

Size CDC::SetViewportExt(int cx, int cy) {
    Size old = d->s.viewportExt;
    if (d->s.mapMode == MM_ANISOTROPIC && cx != 0 && cy != 0) {
        d->s.viewportExt = Size{cx, cy};
        d->applyTransform();
    }
    return old;
}

Point CDC::OffsetWindowOrg(int x, int y) {
    Point old = d->s.windowOrg;
    return SetWindowOrg(old.x + x, old.y + y);
}

int CDC::GetDeviceCaps(int index) const {
    Rect r = d->s.clip;
    if (d->image) {
        QSizeF size = d->image->deviceIndependentSize();
        r = Rect{0, 0, int(size.width() + 1e-6), int(size.height() + 1e-6)};
    }
    switch (index) {
    case HORZRES:
        return r.right - r.left;
    case VERTRES:
        return r.bottom - r.top;
    default:
        return 0;
    }
}

bool CDC::GetClipBox(Rect* rect) const {
    if (!d->p || !rect)
        return false;
    if (d->scaled()) {
        QRect box = d->transform().inverted().mapRect(toQRect(d->s.clip));
        *rect = qtbridge::fromQRect(box);
        return true;
    }
    Rect r = d->s.clip;
    r.OffsetRect(-d->dx(), -d->dy());
    *rect = r;
    return true;
}

void CDC::IntersectClipRect(const Rect& rect) {
    Rect dev = rect;
    if (d->scaled())
        dev = qtbridge::fromQRect(d->transform().mapRect(toQRect(rect)));
    else
        dev.OffsetRect(d->dx(), d->dy());
    Rect& c = d->s.clip;
    c = Rect{std::max(c.left, dev.left), std::max(c.top, dev.top), std::min(c.right, dev.right),
             std::min(c.bottom, dev.bottom)};
    if (c.IsRectEmpty())
        c = Rect{};
    d->applyTransform();
}

double CDC::DevicePixelRatio() const {
    return d->ratio();
}

std::unique_ptr<CDC> CDC::CreateCompatible(int w, int h) const {
    double ratio = d->ratio();
    if (w <= 0 || h <= 0 || !qtbridge::wholeRatio(ratio))
        return nullptr;
    auto img = std::make_unique<ImageSurface>(w, h, RGB(255, 255, 255), ratio);
    if (img->image().isNull())
        return nullptr;
    img->SetTextColor(d->s.textColor);
    img->SelectFont(d->s.font);
    return img;
}

ImageSurface::ImageSurface(int width, int height, COLORREF fill, double ratio)
    : width_(std::max(width, 0)), height_(std::max(height, 0)),
      image_(std::make_unique<QImage>(qtbridge::imageAtRatio(width_, height_, ratio))) {
    if (image_->isNull()) {
        width_ = height_ = 0;
        return;
    }
    image_->fill(toQColor(fill));
    painter_ = std::make_unique<QPainter>(image_.get());
    attach(painter_.get(), Rect{0, 0, width_, height_}, image_.get());
}

ImageSurface::~ImageSurface() {
    if (painter_)
        painter_->end();
}

int ImageSurface::width() const {
    return width_;
}
int ImageSurface::height() const {
    return height_;
}
const QImage& ImageSurface::image() const {
    return *image_;
}

bool ImageSurface::SavePng(const std::string& path) const {
    return image_->save(QString::fromStdString(path), "PNG");
}

} // namespace tnv
