// The programs' windows on a screen at twice the scale: a picture of twice the pixels that,
// halved, is the picture at the plain scale.
#include "tests/support/test_support.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

using testsupport::binDir;
using testsupport::runCommand;

class ProgramScaleTest : public testing::Test {
protected:
    testsupport::TempDir dir;
    std::string sim = dir.file("sim");

    void SetUp() override {
        ASSERT_EQ(runCommand("'" + binDir() + "/tnv-make-demo' '" + sim + "' >/dev/null 2>&1"), 0);
    }

    // The program's --screenshot at a screen scale, without a display as the tests run.
    QImage shot(const std::string& program, const std::string& args, const std::string& scale) {
        std::string png = dir.file(program + "-" + scale + ".png");
        std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "
                              "QT_SCALE_FACTOR=" +
                              scale + " '" + binDir() + "/" + program + "' --screenshot '" + png +
                              "' --size 700x400 " + args + " >/dev/null 2>&1";
        EXPECT_EQ(runCommand(command), 0) << command;
        return QImage(QString::fromStdString(png));
    }

    // Compares the halved picture with the plain one: the share of pixels that differ at all,
    // and of those that differ by more than a third of the colour range (other shapes or
    // colours, not the finer edges of letters).
    void expectSamePicture(const QImage& plain, const QImage& twice) {
        ASSERT_FALSE(plain.isNull());
        ASSERT_FALSE(twice.isNull());
        ASSERT_EQ(twice.width(), 2 * plain.width());
        ASSERT_EQ(twice.height(), 2 * plain.height());
        QImage half = twice.scaled(plain.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        long differing = 0, far = 0, all = long(plain.width()) * plain.height();
        for (int y = 0; y < plain.height(); ++y)
            for (int x = 0; x < plain.width(); ++x) {
                QColor a(plain.pixel(x, y)), b(half.pixel(x, y));
                int d = std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
                        std::abs(a.blue() - b.blue());
                differing += d > 0;
                far += d > 255;
            }
        EXPECT_LT(differing, all / 8);
        EXPECT_LT(far, all / 40);
        // The caption strip, and the grid's own colours in its middle where no text is.
        EXPECT_EQ(twice.pixelColor(3, 3), QColor(0, 0, 128));
        int x = plain.width() / 2, y = plain.height() * 2 / 3;
        EXPECT_EQ(twice.pixelColor(2 * x + 1, 2 * y + 1), plain.pixelColor(x, y));
    }

    // Pixels of one exact colour.
    static int count(const QImage& image, QColor c) {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += image.pixelColor(x, y) == c;
        return n;
    }
};

// At twice the scale, and at one and a half: the physical size.
TEST_F(ProgramScaleTest, FleetValuerAtTwiceAndAFractionalScale) {
    std::string args = "--base '" + sim + "/Tarnavel'";
    QImage plain = shot("FleetValuer", args, "1");
    ASSERT_NO_FATAL_FAILURE(expectSamePicture(plain, shot("FleetValuer", args, "2")));
    QImage scaled = shot("FleetValuer", args, "1.5");
    ASSERT_FALSE(scaled.isNull());
    EXPECT_NEAR(scaled.width(), 1.5 * plain.width(), 1);
    EXPECT_NEAR(scaled.height(), 1.5 * plain.height(), 1);
}

TEST_F(ProgramScaleTest, TnvCueLineAtTwiceTheScale) {
    std::string args = "'" + sim + "/Tarnavel/Sound/Crewpack/Demo/CueLine.clt'";
    QImage plain = shot("TnvCueLine", args, "1");
    QImage twice = shot("TnvCueLine", args, "2");
    ASSERT_NO_FATAL_FAILURE(expectSamePicture(plain, twice));
    // The cells' own colours cover four times the pixels: no area is lost or added.
    for (QColor c : {QColor(255, 0, 0), QColor(199, 232, 255)}) {
        int n1 = count(plain, c), n2 = count(twice, c);
        EXPECT_GT(n1, 100);
        EXPECT_NEAR(n2, 4 * n1, n1 / 10) << c.name().toStdString();
    }
}

} // namespace
