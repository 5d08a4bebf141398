// HiDPI: the grid's window follows the screen's scale.
#include "grid_window_fixture.h"

#include "tests/platform/draw/hidpi_pixels.h"
#include "tests/support/test_support.h"

#include <QGuiApplication>
#include <QImage>

#include <cmath>

// The grid drawn at twice the resolution, halved, is the grid drawn plainly: the same layout and
// colours, only the letters differ in their detail.
TEST_F(GridWindowTest, GridPaintedAtTwiceTheResolutionMatchesThePlainPicture) {
    ProbeGrid& g = make(8, 5, 1, 1);
    g.SetColSize(1, 140);
    g.SetColSize(0, 27);
    g.SetGridBackColor(RGB(0, 0, 128));
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 5; ++c)
            g.SetCellText(r, c, "R" + std::to_string(r) + "C" + std::to_string(c));
    g.SetCellBackColor(3, 2, RGB(255, 0, 0));
    g.SetCurrentCell(2, 1);
    ImageSurface plain(300, 200), hi(300, 200, RGB(255, 255, 255), 2.0);
    g.PaintGrid(plain);
    g.PaintGrid(hi);
    QImage half = hi.image().scaled(300, 200, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    int differing = 0, far = 0;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 300; ++x) {
            QColor a(plain.image().pixel(x, y)), b(half.pixel(x, y));
            int d = std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
                    std::abs(a.blue() - b.blue());
            differing += d > 0;
            far += d > 300;
        }
    EXPECT_LT(differing, 300 * 200 / 10) << "only the letters' edges may differ";
    EXPECT_LT(far, 300 * 200 / 100);
    // Lines and fills, read in the middle of their logical pixels, are the same exactly.
    for (Point p : {Point{26, 50}, Point{27, 50}, Point{166, 50}, Point{100, 59}, Point{250, 190},
                    Point{204, 61}})
        EXPECT_EQ(hi.GetPixel(p.x, p.y), plain.GetPixel(p.x, p.y)) << p.x << "," << p.y;
}

// Under CTest this runs at the screen scales 1, 1.25, 1.5 and 2 (QT_SCALE_FACTOR).
TEST_F(GridWindowTest, WindowDrawsAtTheScreensResolution) {
    ProbeGrid& g = make(5, 4, 1, 1);
    for (int r = 0; r < 5; ++r)
        g.SetCellText(r, 1, "Aircraft " + std::to_string(r));
    g.UpdateWindow();
    const double ratio = qApp->devicePixelRatio();
    EXPECT_EQ(g.GetDC()->DevicePixelRatio(), ratio);
    Rect client;
    g.GetClientRect(&client);
    EXPECT_EQ(client, (Rect{0, 0, 300, 200})); // logical, at every scale
    testsupport::TempDir dir;                  // its own: the test runs at several scales at once
    ASSERT_TRUE(g.SaveWindowImage(dir.file("scaled.png")));
    QImage picture(QString::fromStdString(dir.file("scaled.png")));
    EXPECT_NEAR(picture.width(), 300 * ratio, 1);
    EXPECT_NEAR(picture.height(), 200 * ratio, 1);
    if (ratio == 2.0) {
        EXPECT_GT(hidpipixels::finerThanLogical(picture, QRect(40, 20, 40, 80)), 50)
            << "the text is sharp";
    }
}
