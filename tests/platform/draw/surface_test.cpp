// The drawing surface keeps the GDI pixel model on a QImage; at a device pixel ratio it draws the
// same logical picture on the physical pixels.
#include "platform/draw/surface.h"
#include "platform/draw/syscolors.h"
#include "tests/platform/draw/hidpi_pixels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <set>

using namespace tnv;

namespace {

constexpr COLORREF white = RGB(255, 255, 255), red = RGB(255, 0, 0);
constexpr COLORREF navy = RGB(0, 0, 128), black = RGB(0, 0, 0);

// The box, inclusive, around the pixels of `area` that are not the background; left is -1 when
// there are none.
Rect inkBox(const ImageSurface& s, const Rect& area, COLORREF bg = white) {
    Rect box{-1, -1, -1, -1};
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (s.GetPixel(x, y) != bg) {
                box.left = box.left < 0 ? x : std::min(box.left, x);
                box.top = box.top < 0 ? y : box.top;
                box.right = std::max(box.right, x);
                box.bottom = y;
            }
    return box;
}

int inkCount(const ImageSurface& s, const Rect& r, COLORREF bg = white) {
    int n = 0;
    for (int x = r.left; x < r.right; ++x)
        for (int y = r.top; y < r.bottom; ++y)
            n += s.GetPixel(x, y) != bg;
    return n;
}

FontDesc sized(int height, const char* face = nullptr, int weight = FW_NORMAL) {
    FontDesc f;
    f.height = height;
    f.weight = weight;
    if (face)
        f.setFaceName(face);
    return f;
}

struct At {
    int x, y;
    COLORREF colour;
};

void expectPixels(const CDC& s, std::initializer_list<At> pixels) {
    for (const At& p : pixels)
        EXPECT_EQ(s.GetPixel(p.x, p.y), p.colour) << p.x << "," << p.y;
}

// Fills, one-pixel lines in every direction, frames, 3D edges and an inversion.
void drawShapes(CDC& s) {
    s.FillSolidRect(Rect{3, 3, 17, 9}, red);
    s.SelectPen(Pen{PS_SOLID, 0, navy});
    s.MoveTo(1, 12);
    s.LineTo(38, 12);
    s.MoveTo(20, 1);
    s.LineTo(20, 28);
    s.MoveTo(23, 2);
    s.LineTo(35, 9);
    s.SelectPen(Pen{PS_SOLID, 1, black});
    s.SelectBrush(Brush{false, RGB(255, 255, 180)});
    s.Rectangle(Rect{2, 15, 13, 27});
    Rect edge{24, 15, 37, 27};
    s.DrawEdge(&edge, EDGE_SUNKEN, BF_RECT);
    s.InvertRect(Rect{5, 20, 31, 23});
}

std::set<QRgb> colours(const QImage& image) {
    std::set<QRgb> out;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            out.insert(image.pixel(x, y));
    return out;
}

} // namespace

TEST(CDC, FillsRectanglesAndLinesLeaveOutTheRightAndBottomEdgeEdgesAreSunken) {
    ImageSurface s(10, 10);
    s.FillSolidRect(Rect{2, 3, 6, 5}, red);
    s.FillSolidRect(Rect{5, 5, 5, 9}, red); // empty: nothing
    expectPixels(s, {At{2, 3, red}, At{5, 4, red}, At{6, 4, white}, At{5, 5, white},
                     At{1, 3, white}, At{5, 6, white}, At{-1, 0, CLR_NONE}});
    // A rectangle's outline with a null brush.
    ImageSurface framed(10, 10);
    framed.FillSolidRect(Rect{0, 0, 10, 10}, red);
    framed.SelectStockPen(StockObject::BlackPen);
    framed.SelectStockBrush(StockObject::NullBrush);
    framed.Rectangle(Rect{1, 1, 6, 5});
    expectPixels(framed,
                 {At{1, 1, black}, At{5, 1, black}, At{1, 4, black}, At{5, 4, black},
                  At{3, 1, black}, At{1, 3, black}, At{3, 2, red}, At{6, 3, red}, At{3, 5, red}});
    ImageSurface edged(10, 10);
    Rect r{0, 0, 10, 10};
    edged.DrawEdge(&r, BDR_SUNKENINNER, BF_RECT);
    const COLORREF dark = GetSysColor(COLOR_3DDKSHADOW), light = GetSysColor(COLOR_3DLIGHT);
    expectPixels(edged, {{0, 5, dark}, {5, 0, dark}, {9, 5, light}, {5, 9, light}, {5, 5, white}});
    // Lines leave out their end point.
    struct Case {
        Point from, to;
        std::vector<Point> on, off;
    } cases[] = {
        {{1, 1}, {5, 1}, {{1, 1}, {4, 1}}, {{5, 1}, {0, 1}}},
        {{5, 2}, {1, 2}, {{5, 2}, {2, 2}}, {{1, 2}, {6, 2}}},
        {{3, 0}, {3, 4}, {{3, 0}, {3, 3}}, {{3, 4}}},
        {{0, 0}, {4, 4}, {{0, 0}, {3, 3}}, {{4, 4}}},
    };
    for (const Case& c : cases) {
        ImageSurface s(8, 8);
        s.SelectPen(Pen{PS_SOLID, 0, red});
        s.MoveTo(c.from.x, c.from.y);
        s.LineTo(c.to.x, c.to.y);
        for (Point p : c.on)
            expectPixels(s, {{p.x, p.y, red}});
        for (Point p : c.off)
            expectPixels(s, {{p.x, p.y, white}});
    }
    ImageSurface nullPen(8, 8);
    nullPen.SelectStockPen(StockObject::NullPen);
    nullPen.MoveTo(0, 0);
    nullPen.LineTo(7, 0);
    EXPECT_EQ(nullPen.GetPixel(2, 0), white);
}

TEST(CDC, TextAlignsInItsRectangleAmpersandsAreMnemonicsUnlessNoPrefix) {
    FontDesc font = sized(-14, "DejaVu Sans");
    struct Case {
        UINT format;
        int edge, at; // edge: 0 the left, 1 the middle, 2 the right
    } cases[] = {{DT_LEFT, 0, 10}, {DT_CENTER, 1, 60}, {DT_RIGHT, 2, 109}};
    for (const Case& c : cases) {
        ImageSurface s(140, 30);
        s.SelectFont(font);
        s.SetBkMode(TRANSPARENT);
        Rect r{10, 5, 110, 25};
        s.DrawText("WWW", &r, c.format);
        Rect ink = inkBox(s, Rect{0, 0, 140, 30});
        ASSERT_GE(ink.left, 0);
        int edges[] = {ink.left, (ink.left + ink.right) / 2, ink.right};
        EXPECT_LE(std::abs(edges[c.edge] - c.at), 2) << c.format;
    }
    // An ampersand marks a mnemonic unless DT_NOPREFIX; a line break makes a second line.
    ImageSurface s(10, 10);
    s.SelectFont(sized(-14));
    Rect plain{0, 0, 1000, 100}, noPrefix = plain, twoLines = plain, single = plain;
    s.DrawText("a&&b", &plain, DT_CALCRECT);
    s.DrawText("a&b", &noPrefix, DT_CALCRECT | DT_NOPREFIX);
    EXPECT_EQ(plain.Width(), noPrefix.Width());
    int oneHeight = s.DrawText("x", &plain, DT_CALCRECT);
    EXPECT_GE(s.DrawText("x\r\ny", &twoLines, DT_CALCRECT), 2 * oneHeight - 2);
    EXPECT_EQ(s.DrawText("x\r\ny", &single, DT_CALCRECT | DT_SINGLELINE), oneHeight);
}

TEST(CDC, TextIsClippedToItsRectangleUnlessAskedNotToAndAlwaysToTheSurfacesClip) {
    for (UINT extra : {0u, UINT(DT_NOCLIP)}) {
        ImageSurface s(200, 30), clipped(200, 30);
        for (ImageSurface* x : {&s, &clipped}) {
            x->SelectFont(sized(-14));
            x->SetBkMode(TRANSPARENT);
        }
        Rect r{0, 0, 20, 25};
        s.DrawText("a long text that overflows", &r, DT_LEFT | extra);
        EXPECT_EQ(inkBox(s, Rect{20, 0, 200, 30}).left >= 0, extra != 0);
        clipped.IntersectClipRect(Rect{0, 0, 60, 30});
        clipped.PaintText("WWWWWWWWWWWWWWWWWWWW", Rect{0, 0, 150, 25}, extra);
        EXPECT_GT(inkCount(clipped, Rect{0, 0, 60, 30}), 0);
        EXPECT_EQ(inkCount(clipped, Rect{60, 0, 200, 30}), 0);
    }
}

TEST(CDC, StateSavesAndRestoresOffscreenBuffersBlitBack) {
    ImageSurface s(4, 4);
    s.SetTextColor(red);
    s.SelectPen(Pen{PS_SOLID, 0, red});
    int level = s.SaveDC();
    s.SetTextColor(white);
    s.SelectStockPen(StockObject::NullPen);
    s.SetWindowOrg(2, 2);
    EXPECT_TRUE(s.RestoreDC(level));
    EXPECT_EQ(s.GetTextColor(), red);
    s.MoveTo(0, 0);
    s.LineTo(3, 0);
    EXPECT_EQ(s.GetPixel(1, 0), red);
    EXPECT_FALSE(s.RestoreDC(5));
    // An offscreen buffer with a moved origin blits back.
    ImageSurface screen(50, 50);
    std::unique_ptr<CDC> buffer = screen.CreateCompatible(20, 10);
    ASSERT_TRUE(buffer);
    buffer->SetWindowOrg(30, 40); // paints in the screen's coordinates
    Rect clip;
    ASSERT_TRUE(buffer->GetClipBox(&clip));
    EXPECT_EQ(clip, (Rect{30, 40, 50, 50}));
    buffer->FillSolidRect(Rect{30, 40, 50, 50}, RGB(0, 0, 255));
    buffer->FillSolidRect(Rect{31, 41, 32, 42}, red);
    screen.BitBlt(30, 40, 20, 10, *buffer, 30, 40);
    expectPixels(screen, {At{31, 41, red}, At{30, 40, RGB(0, 0, 255)}, At{29, 40, white}});
    screen.InvertRect(Rect{0, 0, 2, 2});
    EXPECT_EQ(screen.GetPixel(1, 1), RGB(0, 0, 0));
}

TEST(CDC, MetricsFromTheFontWindowsFacesAndBoldInk) {
    ImageSurface s(4, 4);
    s.SelectFont(sized(-10));
    TEXTMETRIC a, b, c;
    ASSERT_TRUE(s.GetTextMetrics(&a));
    Size ea = s.GetTextExtent("abc");
    s.SelectFont(sized(-20));
    ASSERT_TRUE(s.GetTextMetrics(&b));
    EXPECT_GT(b.tmHeight, a.tmHeight);
    EXPECT_GT(b.tmAveCharWidth, a.tmAveCharWidth);
    EXPECT_GT(s.GetTextExtent("abc").cx, ea.cx);
    EXPECT_EQ(s.GetTextExtent("").cx, 0);
    s.SelectFont(sized(20)); // a positive height is the whole cell
    s.GetTextMetrics(&c);
    EXPECT_LE(std::abs(c.tmHeight - 20), 1);
    // Windows face names use their metric twins.
    for (auto [windowsFace, installed] : {std::pair{"Arial", "Liberation Sans"},
                                          std::pair{"Times New Roman", "Liberation Serif"}}) {
        s.SelectFont(sized(-16, windowsFace));
        Size ea = s.GetTextExtent("The quick brown fox 0123456789");
        s.SelectFont(sized(-16, installed));
        EXPECT_EQ(s.GetTextExtent("The quick brown fox 0123456789"), ea) << windowsFace;
    }
    ImageSurface plain(100, 20), bold(100, 20);
    plain.SelectFont(sized(-14));
    bold.SelectFont(sized(-14, nullptr, FW_SEMIBOLD));
    for (ImageSurface* x : {&plain, &bold}) {
        Rect r{0, 0, 100, 20};
        x->DrawText("Header", &r, 0);
    }
    EXPECT_GT(inkCount(bold, Rect{0, 0, 100, 20}), inkCount(plain, Rect{0, 0, 100, 20}));
}

// The grid paints its texts without measuring them; the pixels must be DrawText's, whatever the
// alignment, background mode, mapping and clip, and with fonts and colours changing from one
// text to the next.
TEST(CDC, PaintTextPaintsWhatDrawTextPaints) {
    FontDesc big = sized(15, "Liberation Sans");
    big.italic = 1;
    const FontDesc fonts[] = {sized(-12, "Liberation Sans"),
                              sized(-12, "Liberation Sans", FW_SEMIBOLD), big};
    const UINT formats[] = {0, DT_CENTER | DT_VCENTER | DT_SINGLELINE, DT_RIGHT | DT_WORDBREAK,
                            DT_NOCLIP | DT_NOPREFIX, DT_SINGLELINE | DT_BOTTOM | DT_EXPANDTABS};
    const char* texts[] = {"Boeing 737-800", "a & b\r\nsecond line", "", "caf\xe9 \x80 1,234",
                           "a text far too long for its little box\tand a tab"};
    enum Mapping { Plain, MovedAndClipped, Scaled };
    for (Mapping mapping : {Plain, MovedAndClipped, Scaled}) {
        for (int mode : {TRANSPARENT, OPAQUE}) {
            SCOPED_TRACE(testing::Message() << "mapping " << mapping << " mode " << mode);
            ImageSurface drawn(240, 160), painted(240, 160);
            for (ImageSurface* s : {&drawn, &painted}) {
                if (mapping == MovedAndClipped) {
                    s->SetWindowOrg(-7, 5);
                    s->IntersectClipRect(Rect{20, 10, 190, 120});
                } else if (mapping == Scaled) {
                    s->SetMapMode(MM_ANISOTROPIC);
                    s->SetWindowExt(200, 100);
                    s->SetViewportExt(240, 160);
                }
                s->SetBkMode(mode);
                s->SetBkColor(RGB(255, 255, 0));
            }
            int n = 0;
            for (UINT format : formats) {
                for (const char* text : texts) {
                    Rect r{(n % 4) * 55, (n / 4) * 22, (n % 4) * 55 + 50, (n / 4) * 22 + 20};
                    ++n;
                    for (ImageSurface* s : {&drawn, &painted}) {
                        s->SelectFont(fonts[n % 3]);
                        s->SetTextColor(RGB(n * 10, 0, 255 - n * 10));
                    }
                    Rect copy = r;
                    drawn.DrawText(text, &copy, format);
                    painted.PaintText(text, r, format);
                }
            }
            EXPECT_TRUE(drawn.image() == painted.image());
            // The clip the texts cut out for themselves is gone afterwards.
            for (ImageSurface* s : {&drawn, &painted})
                s->FillSolidRect(Rect{0, 0, 240, 160}, red);
            EXPECT_TRUE(drawn.image() == painted.image());
        }
    }
}

TEST(HiDpiSurface, ShapesAndOnePixelLinesKeepTheirLogicalPlaceOnWholePhysicalPixels) {
    ImageSurface plain(40, 30);
    drawShapes(plain);
    std::set<QRgb> drawn = colours(plain.image());
    for (double ratio : {1.25, 1.5, 2.0}) {
        SCOPED_TRACE(ratio);
        ImageSurface hi(40, 30, white, ratio);
        EXPECT_EQ(hi.width(), 40);
        EXPECT_EQ(hi.GetDeviceCaps(HORZRES), 40);
        EXPECT_EQ(hi.GetDeviceCaps(VERTRES), 30);
        EXPECT_EQ(hi.DevicePixelRatio(), ratio);
        EXPECT_EQ(hi.image().width(), int(std::ceil(40 * ratio)));
        EXPECT_EQ(hi.image().height(), int(std::ceil(30 * ratio)));
        drawShapes(hi);
        // Nothing smeared: no physical pixel takes a colour the plain picture lacks.
        for (QRgb c : colours(hi.image()))
            EXPECT_TRUE(drawn.count(c)) << std::hex << c;
        // Every logical pixel, read at its middle, is the one of the plain picture.
        int wrong = 0;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x)
                wrong += hi.GetPixel(x, y) != plain.GetPixel(x, y);
        EXPECT_EQ(wrong, 0);

        // Lines one logical pixel apart: every physical row of the band is covered once.
        ImageSurface lines(40, 30, white, ratio);
        for (int y = 5; y < 15; ++y) {
            lines.SelectPen(Pen{PS_SOLID, 0, y % 2 ? red : navy});
            lines.MoveTo(0, y);
            lines.LineTo(40, y);
        }
        const QImage& image = lines.image();
        int first = int(std::lround(5 * ratio)), last = int(std::lround(15 * ratio));
        for (int py = first; py < last; ++py) {
            QRgb c = image.pixel(3, py);
            EXPECT_TRUE(c == QColor(255, 0, 0).rgb() || c == QColor(0, 0, 128).rgb()) << py;
        }
        EXPECT_EQ(image.pixel(3, first - 1), QColor(Qt::white).rgb());
        EXPECT_EQ(image.pixel(3, last), QColor(Qt::white).rgb());
        // Each line is at most the ratio rounded up physical pixels high.
        for (int py = first + 1, run = 1; py <= last; ++py, ++run)
            if (image.pixel(3, py) != image.pixel(3, py - 1)) {
                EXPECT_LE(run, int(std::ceil(ratio))) << py;
                run = 0;
            }
    }
}

TEST(HiDpiSurface, TextIsDrawnAtThePhysicalResolutionInItsLogicalBox) {
    FontDesc font = sized(-12, "DejaVu Sans");
    ImageSurface plain(160, 24), hi(160, 24, white, 2.0);
    for (ImageSurface* s : {&plain, &hi}) {
        s->SelectFont(font);
        EXPECT_EQ(s->GetTextExtent("Aircraft Name").cx, plain.GetTextExtent("Aircraft Name").cx);
        Rect r{4, 2, 156, 22};
        s->DrawText("Aircraft Name", &r, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    }
    Rect a = inkBox(plain, Rect{0, 0, 160, 24}), b = inkBox(hi, Rect{0, 0, 160, 24});
    EXPECT_NEAR(b.left, a.left, 1);
    EXPECT_NEAR(b.top, a.top, 1);
    EXPECT_NEAR(b.right, a.right, 2);
    EXPECT_NEAR(b.bottom, a.bottom, 1);
    EXPECT_GT(hidpipixels::finerThanLogical(hi.image(), QRect(0, 0, 160, 24)), 50);
}

TEST(HiDpiSurface, BuffersCarryTheRatioAndCopyBackPixelForPixelHugeSizesGiveEmptySurfaces) {
    ImageSurface screen(60, 40, white, 2.0);
    std::unique_ptr<CDC> buffer = screen.CreateCompatible(30, 20);
    ASSERT_TRUE(buffer);
    EXPECT_EQ(buffer->DevicePixelRatio(), 2.0);
    buffer->SetWindowOrg(10, 10);
    buffer->FillSolidRect(Rect{10, 10, 40, 30}, navy);
    buffer->FillSolidRect(Rect{15, 12, 16, 28}, red); // one logical pixel wide
    screen.BitBlt(10, 10, 30, 20, *buffer, 10, 10);
    const QRgb n = qRgb(0, 0, 128), r = qRgb(255, 0, 0), w = qRgb(255, 255, 255);
    const QImage& image = screen.image();
    EXPECT_EQ((std::vector{image.pixel(19, 40), image.pixel(29, 40), image.pixel(30, 40),
                           image.pixel(31, 40), image.pixel(32, 40), image.pixel(79, 59),
                           image.pixel(80, 60)}),
              (std::vector{w, n, r, r, n, n, w}));
    // At a fractional ratio no buffer copies back exactly: the caller draws straight on.
    ImageSurface fractional(60, 40, white, 1.5);
    EXPECT_FALSE(fractional.CreateCompatible(30, 20));
    // Sizes beyond any image give an empty surface.
    ImageSurface huge(std::numeric_limits<int>::max() - 1, 10, white, 2.0);
    EXPECT_EQ(huge.width(), 0);
    EXPECT_EQ(huge.height(), 0);
    huge.FillSolidRect(Rect{0, 0, 10, 10}, red); // nothing to draw on, no harm
    ImageSurface small(10, 10, white, 2.0);
    expectPixels(small,
                 {At{9, 9, white}, At{10, 9, CLR_NONE},
                  At{std::numeric_limits<int>::max() - 1, 0, CLR_NONE}, At{0, -1, CLR_NONE}});
}
