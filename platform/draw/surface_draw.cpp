// What a surface draws: text and its measures, fills, lines, frames, 3-D edges, inversions,
// copies between surfaces, and the pixels read back.
#include "platform/draw/surface.h"

#include "platform/draw/syscolors.h"
#include "platform/qt/qtbridge.h"
#include "platform/qt/surface_fonts.h"
#include "platform/qt/surface_impl.h"

#include <algorithm>
#include <cstdlib>

namespace tnv {

using qtbridge::toQColor;
using qtbridge::toQRect;

bool CDC::GetTextMetrics(TEXTMETRIC* tm) const {
    if (!tm || !haveGui())
        return false;
    const QFontMetrics& fm = d->font(d->s.font).metrics;
    tm->tmAscent = fm.ascent();
    tm->tmDescent = fm.descent();
    tm->tmHeight = fm.height();
    tm->tmInternalLeading = std::max(0, fm.height() - d->font(d->s.font).font.pixelSize());
    tm->tmExternalLeading = std::max(0, fm.leading());
    tm->tmAveCharWidth = fm.averageCharWidth();
    tm->tmMaxCharWidth = fm.maxWidth();
    return true;
}

Size CDC::GetTextExtent(const std::string& text) const {
    if (!haveGui())
        return Size{};
    const QFontMetrics& fm = d->font(d->s.font).metrics;
    return Size{fm.horizontalAdvance(qtbridge::toQString(text)), fm.height()};
}

void CDC::FillSolidRect(const Rect& rect, COLORREF color) {
    if (!d->p || rect.IsRectEmpty())
        return;
    d->p->fillRect(toQRect(rect), toQColor(color));
}

void CDC::FillRect(const Rect& rect, const Brush& brush) {
    if (!brush.null)
        FillSolidRect(rect, brush.color);
}

Point CDC::MoveTo(int x, int y) {
    return std::exchange(d->cur, Point{x, y});
}

bool CDC::LineTo(int x, int y) {
    Point from = d->cur;
    d->cur = Point{x, y};
    if (!d->p)
        return false;
    if (from == d->cur)
        return true;
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
    return true;
}

bool CDC::Rectangle(const Rect& rect) {
    if (!d->p)
        return false;
    bool pen = d->s.pen.style != PS_NULL;
    if (!pen) {
        // Without a pen the filled area is one pixel smaller on the right and bottom.
        FillRect(Rect{rect.left, rect.top, rect.right - 1, rect.bottom - 1}, d->s.brush);
        return true;
    }
    FillRect(Rect{rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1}, d->s.brush);
    if (rect.right - rect.left < 1 || rect.bottom - rect.top < 1)
        return true;
    d->fillPixels(rect.left, rect.top, rect.right - 1, rect.top);
    d->fillPixels(rect.left, rect.bottom - 1, rect.right - 1, rect.bottom - 1);
    d->fillPixels(rect.left, rect.top, rect.left, rect.bottom - 1);
    d->fillPixels(rect.right - 1, rect.top, rect.right - 1, rect.bottom - 1);
    return true;
}

bool CDC::DrawEdge(Rect* rect, UINT edge, UINT flags) {
    if (!rect || !d->p)
        return false;
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
    return true;
}

// Texts go to Qt with unified line ends; most have no carriage return at all.
static QString textForQt(const std::string& text, UINT format) {
    QString s = qtbridge::toQString(text);
    if (text.find('\r') != std::string::npos)
        s = surfacefonts::normaliseLineEnds(std::move(s), format);
    return s;
}

int CDC::DrawText(const std::string& text, Rect* rect, UINT format) {
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

void CDC::PaintText(const std::string& text, const Rect& rect, UINT format) {
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

bool CDC::TextOut(int x, int y, const std::string& text) {
    Size ext = GetTextExtent(text);
    Rect r{x, y, x + ext.cx, y + ext.cy};
    DrawText(text, &r, DT_NOCLIP | DT_NOPREFIX | DT_SINGLELINE);
    return true;
}

void CDC::InvertRect(const Rect& rect) {
    if (!d->p || rect.IsRectEmpty())
        return;
    d->p->save();
    d->p->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    d->p->fillRect(toQRect(rect), Qt::white);
    d->p->restore();
}

bool CDC::BitBlt(int x, int y, int w, int h, const CDC& src, int sx, int sy) {
    if (!d->p || !src.d->image)
        return false;
    // The source is picked in the image's own (physical) pixels; at equal whole ratios on both
    // sides this is a copy pixel for pixel.
    double r = src.d->image->devicePixelRatio();
    QRectF from((sx + src.d->dx()) * r, (sy + src.d->dy()) * r, w * r, h * r);
    d->p->drawImage(QRectF(x, y, w, h), *src.d->image, from);
    return true;
}

COLORREF CDC::GetPixel(int x, int y) const {
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

} // namespace tnv
