// HiDPI: surfaces at a device pixel ratio draw the same logical picture on the physical pixels.
#include "platform/draw/surface.h"
#include "tests/platform/draw/hidpi_pixels.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <set>

using namespace tnv;

namespace {

using hidpipixels::finerThanLogical;

constexpr COLORREF white = RGB(255, 255, 255);
constexpr COLORREF navy = RGB(0, 0, 128);
constexpr COLORREF red = RGB(255, 0, 0);
constexpr COLORREF black = RGB(0, 0, 0);

constexpr double ratios[] = {1.25, 1.5, 2.0};

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

TEST(HiDpiSurface, ShapesAndOnePixelLinesKeepTheirLogicalPlaceOnWholePhysicalPixels) {
    ImageSurface plain(40, 30);
    drawShapes(plain);
    std::set<QRgb> drawn = colours(plain.image());
    for (double ratio : ratios) {
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
        // Each line is at least one physical pixel high and at most the ratio rounded up.
        int run = 0;
        QRgb prev = image.pixel(3, first);
        for (int py = first; py <= last; ++py) {
            QRgb c = image.pixel(3, py);
            if (c == prev) {
                ++run;
                continue;
            }
            EXPECT_GE(run, 1);
            EXPECT_LE(run, int(std::ceil(ratio)));
            run = 1;
            prev = c;
        }
    }
}

TEST(HiDpiSurface, TextIsDrawnAtThePhysicalResolutionInItsLogicalBox) {
    auto inkBox = [](const ImageSurface& s) {
        Rect box{1000, 1000, -1, -1};
        for (int y = 0; y < s.height(); ++y)
            for (int x = 0; x < s.width(); ++x)
                if (s.GetPixel(x, y) != white) {
                    box.left = std::min(box.left, x);
                    box.top = std::min(box.top, y);
                    box.right = std::max(box.right, x);
                    box.bottom = std::max(box.bottom, y);
                }
        return box;
    };
    FontDesc font;
    font.height = -12;
    font.setFaceName("DejaVu Sans");
    ImageSurface plain(160, 24), hi(160, 24, white, 2.0);
    for (ImageSurface* s : {&plain, &hi}) {
        s->SelectFont(font);
        EXPECT_EQ(s->GetTextExtent("Aircraft Name").cx, plain.GetTextExtent("Aircraft Name").cx);
        Rect r{4, 2, 156, 22};
        s->DrawText("Aircraft Name", &r, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    }
    Rect a = inkBox(plain), b = inkBox(hi);
    EXPECT_NEAR(b.left, a.left, 1);
    EXPECT_NEAR(b.top, a.top, 1);
    EXPECT_NEAR(b.right, a.right, 2);
    EXPECT_NEAR(b.bottom, a.bottom, 1);
    EXPECT_GT(finerThanLogical(hi.image(), QRect(0, 0, 160, 24)), 50);
}

TEST(HiDpiSurface, BuffersCarryTheRatioAndCopyBackPixelForPixel) {
    ImageSurface screen(60, 40, white, 2.0);
    std::unique_ptr<CDC> buffer = screen.CreateCompatible(30, 20);
    ASSERT_TRUE(buffer);
    EXPECT_EQ(buffer->DevicePixelRatio(), 2.0);
    buffer->SetWindowOrg(10, 10);
    buffer->FillSolidRect(Rect{10, 10, 40, 30}, navy);
    buffer->FillSolidRect(Rect{15, 12, 16, 28}, red); // one logical pixel wide
    screen.BitBlt(10, 10, 30, 20, *buffer, 10, 10);
    const QRgb n = QColor(0, 0, 128).rgb(), r = QColor(255, 0, 0).rgb(),
               w = QColor(Qt::white).rgb();
    for (auto [x, y, c] : {std::tuple{29, 40, n},
                           {30, 40, r},
                           {31, 40, r},
                           {32, 40, n},
                           {19, 40, w},
                           {79, 59, n},
                           {80, 60, w}})
        EXPECT_EQ(screen.image().pixel(x, y), c) << x << "," << y;
    // At a fractional ratio no buffer copies back exactly: the caller draws straight on.
    ImageSurface fractional(60, 40, white, 1.5);
    EXPECT_FALSE(fractional.CreateCompatible(30, 20));
}

TEST(HiDpiSurface, SizesBeyondAnyImageGiveAnEmptySurface) {
    ImageSurface huge(std::numeric_limits<int>::max() - 1, 10, white, 2.0);
    EXPECT_EQ(huge.width(), 0);
    EXPECT_EQ(huge.height(), 0);
    huge.FillSolidRect(Rect{0, 0, 10, 10}, red); // nothing to draw on, no harm
    ImageSurface small(10, 10, white, 2.0);
    EXPECT_EQ(small.GetPixel(9, 9), white);
    EXPECT_EQ(small.GetPixel(10, 9), CLR_NONE);
    EXPECT_EQ(small.GetPixel(std::numeric_limits<int>::max() - 1, 0), CLR_NONE);
    EXPECT_EQ(small.GetPixel(0, -1), CLR_NONE);
}
