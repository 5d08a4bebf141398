// The state behind a drawing surface (platform-internal): the selected objects, the mapping of
// logical to device coordinates and the clip, over a QPainter.
#pragma once

#include "platform/draw/surface.h"
#include "platform/qt/qtbridge.h"
#include "platform/qt/surface_fonts.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace tnv {

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
inline bool sameMapping(const SurfaceState& a, const SurfaceState& b) {
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
    QRect logicalClip() const { return qtbridge::toQRect(s.clip).translated(-dx(), -dy()); }

    // Paints a text laid out in `area` (logical) with Qt's flags, in the state's text colour.
    void paintText(const QRect& area, int flags, const QString& text, const QFont& font,
                   UINT format) {
        if (scaled()) {
            p->save();
            if (!(format & DT_NOCLIP))
                p->setClipRect(area, Qt::IntersectClip);
            p->setFont(font);
            p->setPen(qtbridge::toQColor(s.textColor));
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
        QColor color = qtbridge::toQColor(s.textColor);
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
            p->setClipRect(qtbridge::toQRect(s.clip).translated(-dx(), -dy()));
            return;
        }
        p->setWorldTransform(QTransform());
        p->setClipRect(qtbridge::toQRect(s.clip));
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
        p->fillRect(r, qtbridge::toQColor(s.pen.color));
    }
};

// Text needs a GUI application (the fonts come from it); without one a surface measures and
// draws no text.
inline bool haveGui() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance());
}

} // namespace tnv
