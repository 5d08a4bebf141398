#include "platform/surface.h"

#include "platform/qtbridge.h"
#include "platform/surface_fonts.h"
#include "platform/syscolors.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdlib>
#include <vector>

using qtbridge::toQColor;
using qtbridge::toQRect;

struct SurfaceState {
    Pen pen;
    Brush brush;
    FontDesc font;
    COLORREF textColor = RGB(0, 0, 0);
    COLORREF bkColor = RGB(255, 255, 255);
    int bkMode = OPAQUE;
    Point windowOrg;
    Point viewportOrg;
    Rect clip; // device coordinates
    int mapMode = MM_TEXT;
    Size windowExt{1, 1};
    Size viewportExt{1, 1};
};

// The device-side parts of a state: what the painter's transform and clip are made from.
static bool sameMapping(const SurfaceState& a, const SurfaceState& b) {
    return a.windowOrg == b.windowOrg && a.viewportOrg == b.viewportOrg && a.clip == b.clip &&
           a.mapMode == b.mapMode && a.windowExt == b.windowExt && a.viewportExt == b.viewportExt;
}

class SurfaceImpl {
public:
    QPainter* p = nullptr;
    QImage* image = nullptr;
    SurfaceState s;
    Point cur;
    std::vector<SurfaceState> saved;

    // A grid paints cell after cell in the same one or two fonts: the Qt font and its metrics
    // are made once per description and surface, not once per text.
    struct FontEntry {
        FontDesc desc;
        QFont font;
        QFontMetrics metrics;
    };
    std::vector<FontEntry> fonts;
    const FontEntry& font(const FontDesc& desc) {
        for (const FontEntry& f : fonts)
            if (f.desc == desc)
                return f;
        constexpr std::size_t kept = 8;
        if (fonts.size() >= kept)
            fonts.erase(fonts.begin());
        QFont q = surfacefonts::toQFont(desc);
        fonts.push_back(FontEntry{desc, q, QFontMetrics(q)});
        return fonts.back();
    }
    // The painter's clip as the state has it, in the painter's logical coordinates (unscaled).
    QRect logicalClip() const { return toQRect(s.clip).translated(-dx(), -dy()); }

    // Paints a text laid out in `area` (logical) with Qt's flags, in the state's text colour.
    void paintText(const QRect& area, int flags, const QString& text, const QFont& font,
                   UINT format) {
        if (scaled()) {
            p->save();
            if (!(format & DT_NOCLIP))
                p->setClipRect(area, Qt::IntersectClip);
            p->setFont(font);
            p->setPen(toQColor(s.textColor));
            p->drawText(area, flags, text);
            p->restore();
            return;
        }
        // Unscaled, the clip is a plain rectangle: the text's is cut from it here and the state's
        // put back afterwards, instead of saving and restoring the whole painter for every text.
        // The painter's font and pen belong to the texts alone (fills and lines set their colour
        // themselves), so they stay as the last text left them.
        bool clipped = !(format & DT_NOCLIP);
        if (clipped) {
            QRect box = area & logicalClip();
            if (box.isEmpty())
                return;
            p->setClipRect(box);
        }
        if (!(p->font() == font))
            p->setFont(font);
        QColor color = toQColor(s.textColor);
        const QPen& pen = p->pen();
        if (pen.color() != color || pen.style() != Qt::SolidLine ||
            pen.brush().style() != Qt::SolidPattern)
            p->setPen(color);
        p->drawText(area, flags, text);
        if (clipped)
            p->setClipRect(logicalClip());
    }

    // Physical pixels per device pixel, from the image or the painter's device (a widget).
    double ratio() const {
        if (image)
            return image->devicePixelRatio();
        if (p && p->device())
            return p->device()->devicePixelRatioF();
        return 1.0;
    }

    int dx() const { return s.viewportOrg.x - s.windowOrg.x; }
    int dy() const { return s.viewportOrg.y - s.windowOrg.y; }
    bool scaled() const { return s.mapMode == MM_ANISOTROPIC; }
    // Logical to device: (logical - window origin) * viewport / window extent + viewport origin.
    QTransform transform() const {
        if (!scaled())
            return QTransform::fromTranslate(dx(), dy());
        QTransform t;
        t.translate(s.viewportOrg.x, s.viewportOrg.y);
        t.scale(double(s.viewportExt.cx) / s.windowExt.cx,
                double(s.viewportExt.cy) / s.windowExt.cy);
        t.translate(-s.windowOrg.x, -s.windowOrg.y);
        return t;
    }
    void applyTransform() {
        if (!p)
            return;
        if (!scaled()) {
            p->setWorldTransform(QTransform::fromTranslate(dx(), dy()));
            // The clip is kept in device coordinates; re-apply it under the new transform.
            p->setClipRect(toQRect(s.clip).translated(-dx(), -dy()));
            return;
        }
        p->setWorldTransform(QTransform());
        p->setClipRect(toQRect(s.clip));
        p->setWorldTransform(transform());
    }
    // A pixel run with the current pen; the pen's colour, one pixel wide unless wider.
    void fillPixels(int x0, int y0, int x1, int y1) { // inclusive
        if (!p || s.pen.style == PS_NULL)
            return;
        int w = std::max(1, s.pen.width);
        int off = (w - 1) / 2;
        QRect r(std::min(x0, x1) - off, std::min(y0, y1) - off, std::abs(x1 - x0) + w,
                std::abs(y1 - y0) + w);
        p->fillRect(r, toQColor(s.pen.color));
    }
};

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

Surface::Surface() : d(std::make_unique<SurfaceImpl>()) {
    d->s.font = SystemMessageFont();
}

Surface::Surface(QPainter* painter, const Rect& clip) : Surface() {
    attach(painter, clip, nullptr);
}

Surface::~Surface() = default;

void Surface::attach(QPainter* painter, const Rect& clip, QImage* image) {
    d->p = painter;
    d->image = image;
    d->s.clip = clip;
    if (painter) {
        painter->setRenderHint(QPainter::Antialiasing, false);
        painter->setRenderHint(QPainter::TextAntialiasing, true);
        d->applyTransform();
    }
}

QPainter* Surface::painter() const {
    return d->p;
}

int Surface::SaveDC() {
    d->saved.push_back(d->s);
    return int(d->saved.size());
}

BOOL Surface::RestoreDC(int level) {
    if (level < 0)
        level = int(d->saved.size()) + 1 + level;
    if (level < 1 || level > int(d->saved.size()))
        return FALSE;
    // Most saves only guard colours, pens and fonts: the painter is set again only when the
    // mapping or the clip changed since.
    bool remap = !sameMapping(d->s, d->saved[std::size_t(level - 1)]);
    d->s = d->saved[std::size_t(level - 1)];
    d->saved.resize(std::size_t(level - 1));
    if (remap)
        d->applyTransform();
    return TRUE;
}

Pen Surface::SelectPen(const Pen& pen) {
    return std::exchange(d->s.pen, pen);
}
Brush Surface::SelectBrush(const Brush& brush) {
    return std::exchange(d->s.brush, brush);
}
FontDesc Surface::SelectFont(const FontDesc& font) {
    return std::exchange(d->s.font, font);
}
FontDesc Surface::SelectFont(const Font& font) {
    return font.desc() ? SelectFont(*font.desc()) : d->s.font;
}
COLORREF Surface::SetTextColor(COLORREF c) {
    return std::exchange(d->s.textColor, c);
}
COLORREF Surface::GetTextColor() const {
    return d->s.textColor;
}
COLORREF Surface::SetBkColor(COLORREF c) {
    return std::exchange(d->s.bkColor, c);
}
int Surface::SetBkMode(int mode) {
    return std::exchange(d->s.bkMode, mode);
}

Point Surface::SetWindowOrg(int x, int y) {
    Point old = std::exchange(d->s.windowOrg, Point{x, y});
    d->applyTransform();
    return old;
}

Point Surface::SetViewportOrg(int x, int y) {
    Point old = std::exchange(d->s.viewportOrg, Point{x, y});
    d->applyTransform();
    return old;
}

int Surface::SetMapMode(int mode) {
    int old = std::exchange(d->s.mapMode, mode == MM_ANISOTROPIC ? MM_ANISOTROPIC : MM_TEXT);
    d->applyTransform();
    return old;
}

Size Surface::SetWindowExt(int cx, int cy) {
    Size old = d->s.windowExt;
    if (d->s.mapMode == MM_ANISOTROPIC && cx != 0 && cy != 0) {
        d->s.windowExt = Size{cx, cy};
        d->applyTransform();
    }
    return old;
}

Size Surface::SetViewportExt(int cx, int cy) {
    Size old = d->s.viewportExt;
    if (d->s.mapMode == MM_ANISOTROPIC && cx != 0 && cy != 0) {
        d->s.viewportExt = Size{cx, cy};
        d->applyTransform();
    }
    return old;
}

Point Surface::OffsetWindowOrg(int x, int y) {
    Point old = d->s.windowOrg;
    return SetWindowOrg(old.x + x, old.y + y);
}

int Surface::GetDeviceCaps(int index) const {
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

BOOL Surface::GetClipBox(Rect* rect) const {
    if (!d->p || !rect)
        return FALSE;
    if (d->scaled()) {
        QRect box = d->transform().inverted().mapRect(toQRect(d->s.clip));
        *rect = qtbridge::fromQRect(box);
        return TRUE;
    }
    Rect r = d->s.clip;
    r.OffsetRect(-d->dx(), -d->dy());
    *rect = r;
    return TRUE;
}

void Surface::IntersectClipRect(const Rect& rect) {
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

static bool haveGui() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance());
}

BOOL Surface::GetTextMetrics(TEXTMETRIC* tm) const {
    if (!tm || !haveGui())
        return FALSE;
    const QFontMetrics& fm = d->font(d->s.font).metrics;
    tm->tmAscent = fm.ascent();
    tm->tmDescent = fm.descent();
    tm->tmHeight = fm.height();
    tm->tmInternalLeading = std::max(0, fm.height() - d->font(d->s.font).font.pixelSize());
    tm->tmExternalLeading = std::max(0, fm.leading());
    tm->tmAveCharWidth = fm.averageCharWidth();
    tm->tmMaxCharWidth = fm.maxWidth();
    return TRUE;
}

Size Surface::GetTextExtent(const std::string& text) const {
    if (!haveGui())
        return Size{};
    const QFontMetrics& fm = d->font(d->s.font).metrics;
    return Size{fm.horizontalAdvance(qtbridge::toQString(text)), fm.height()};
}

void Surface::FillSolidRect(const Rect& rect, COLORREF color) {
    if (!d->p || rect.IsRectEmpty())
        return;
    d->p->fillRect(toQRect(rect), toQColor(color));
}

void Surface::FillRect(const Rect& rect, const Brush& brush) {
    if (!brush.null)
        FillSolidRect(rect, brush.color);
}

Point Surface::MoveTo(int x, int y) {
    return std::exchange(d->cur, Point{x, y});
}

BOOL Surface::LineTo(int x, int y) {
    Point from = d->cur;
    d->cur = Point{x, y};
    if (!d->p)
        return FALSE;
    if (from == d->cur)
        return TRUE;
    if (from.y == y) {
        int last = x > from.x ? x - 1 : x + 1;
        d->fillPixels(from.x, y, last, y);
    } else if (from.x == x) {
        int last = y > from.y ? y - 1 : y + 1;
        d->fillPixels(x, from.y, x, last);
    } else {
        // Bresenham, end point left out.
        int ddx = std::abs(x - from.x), sx = from.x < x ? 1 : -1;
        int ddy = -std::abs(y - from.y), sy = from.y < y ? 1 : -1;
        int err = ddx + ddy;
        int px = from.x, py = from.y;
        while (!(px == x && py == y)) {
            d->fillPixels(px, py, px, py);
            int e2 = 2 * err;
            if (e2 >= ddy) {
                err += ddy;
                px += sx;
            }
            if (e2 <= ddx) {
                err += ddx;
                py += sy;
            }
        }
    }
    return TRUE;
}

BOOL Surface::Rectangle(const Rect& rect) {
    if (!d->p)
        return FALSE;
    bool pen = d->s.pen.style != PS_NULL;
    if (!pen) {
        // Without a pen the filled area is one pixel smaller on the right and bottom.
        FillRect(Rect{rect.left, rect.top, rect.right - 1, rect.bottom - 1}, d->s.brush);
        return TRUE;
    }
    FillRect(Rect{rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1}, d->s.brush);
    if (rect.right - rect.left < 1 || rect.bottom - rect.top < 1)
        return TRUE;
    d->fillPixels(rect.left, rect.top, rect.right - 1, rect.top);
    d->fillPixels(rect.left, rect.bottom - 1, rect.right - 1, rect.bottom - 1);
    d->fillPixels(rect.left, rect.top, rect.left, rect.bottom - 1);
    d->fillPixels(rect.right - 1, rect.top, rect.right - 1, rect.bottom - 1);
    return TRUE;
}

BOOL Surface::DrawEdge(Rect* rect, UINT edge, UINT flags) {
    if (!rect || !d->p)
        return FALSE;
    // One border: top and left in one colour, bottom and right in the other.
    auto border = [&](Rect& r, COLORREF topLeft, COLORREF bottomRight) {
        if (r.IsRectEmpty())
            return;
        if (flags & BF_TOP)
            FillSolidRect(Rect{r.left, r.top, r.right, r.top + 1}, topLeft);
        if (flags & BF_LEFT)
            FillSolidRect(Rect{r.left, r.top, r.left + 1, r.bottom}, topLeft);
        if (flags & BF_BOTTOM)
            FillSolidRect(Rect{r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
        if (flags & BF_RIGHT)
            FillSolidRect(Rect{r.right - 1, r.top, r.right, r.bottom}, bottomRight);
        if (flags & BF_LEFT)
            ++r.left;
        if (flags & BF_TOP)
            ++r.top;
        if (flags & BF_RIGHT)
            --r.right;
        if (flags & BF_BOTTOM)
            --r.bottom;
    };
    Rect r = *rect;
    if (edge & BDR_RAISEDOUTER)
        border(r, GetSysColor(COLOR_3DLIGHT), GetSysColor(COLOR_3DDKSHADOW));
    else if (edge & BDR_SUNKENOUTER)
        border(r, GetSysColor(COLOR_3DSHADOW), GetSysColor(COLOR_3DHIGHLIGHT));
    if (edge & BDR_RAISEDINNER)
        border(r, GetSysColor(COLOR_3DHIGHLIGHT), GetSysColor(COLOR_3DSHADOW));
    else if (edge & BDR_SUNKENINNER)
        border(r, GetSysColor(COLOR_3DDKSHADOW), GetSysColor(COLOR_3DLIGHT));
    return TRUE;
}

// Texts go to Qt with unified line ends; most have no carriage return at all.
static QString textForQt(const std::string& text, UINT format) {
    QString s = qtbridge::toQString(text);
    if (text.find('\r') != std::string::npos)
        s = surfacefonts::normaliseLineEnds(std::move(s), format);
    return s;
}

int Surface::DrawText(const std::string& text, Rect* rect, UINT format) {
    if (!rect || !haveGui())
        return 0;
    const SurfaceImpl::FontEntry& font = d->font(d->s.font);
    int flags = surfacefonts::toQtTextFlags(format);
    QString s = textForQt(text, format);
    QRect area = toQRect(*rect);
    QRect bound = font.metrics.boundingRect(area, flags, s);
    if (s.isEmpty())
        bound.setHeight(font.metrics.height());
    if (format & DT_CALCRECT) {
        rect->right = rect->left + bound.width();
        rect->bottom = rect->top + bound.height();
        return bound.height();
    }
    if (!d->p)
        return 0;
    if (d->s.bkMode == OPAQUE) {
        // The background box is clipped like the text.
        d->p->save();
        if (!(format & DT_NOCLIP))
            d->p->setClipRect(area, Qt::IntersectClip);
        d->p->fillRect(bound, toQColor(d->s.bkColor));
        d->p->restore();
    }
    d->paintText(area, flags, s, font.font, format);
    return bound.height();
}

void Surface::PaintText(const std::string& text, const Rect& rect, UINT format) {
    if (!d->p || (format & DT_CALCRECT) || !haveGui())
        return;
    Rect r = rect;
    if (d->s.bkMode == OPAQUE) {
        DrawText(text, &r, format);
        return;
    }
    d->paintText(toQRect(r), surfacefonts::toQtTextFlags(format), textForQt(text, format),
                 d->font(d->s.font).font, format);
}

BOOL Surface::TextOut(int x, int y, const std::string& text) {
    Size ext = GetTextExtent(text);
    Rect r{x, y, x + ext.cx, y + ext.cy};
    DrawText(text, &r, DT_NOCLIP | DT_NOPREFIX | DT_SINGLELINE);
    return TRUE;
}

void Surface::InvertRect(const Rect& rect) {
    if (!d->p || rect.IsRectEmpty())
        return;
    d->p->save();
    d->p->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    d->p->fillRect(toQRect(rect), Qt::white);
    d->p->restore();
}

BOOL Surface::BitBlt(int x, int y, int w, int h, const Surface& src, int sx, int sy) {
    if (!d->p || !src.d->image)
        return FALSE;
    // The source is picked in the image's own (physical) pixels; at equal whole ratios on both
    // sides this is a copy pixel for pixel.
    double r = src.d->image->devicePixelRatio();
    QRectF from((sx + src.d->dx()) * r, (sy + src.d->dy()) * r, w * r, h * r);
    d->p->drawImage(QRectF(x, y, w, h), *src.d->image, from);
    return TRUE;
}

COLORREF Surface::GetPixel(int x, int y) const {
    if (!d->image)
        return CLR_NONE;
    int lx = x + d->dx(), ly = y + d->dy();
    if (lx < 0 || ly < 0)
        return CLR_NONE;
    double r = d->image->devicePixelRatio();
    double px = (lx + 0.5) * r, py = (ly + 0.5) * r;
    if (px >= d->image->width() || py >= d->image->height())
        return CLR_NONE;
    return qtbridge::fromQColor(d->image->pixelColor(int(px), int(py)));
}

double Surface::DevicePixelRatio() const {
    return d->ratio();
}

std::unique_ptr<Surface> Surface::CreateCompatible(int w, int h) const {
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
