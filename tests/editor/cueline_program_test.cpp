#include "editor_fixture.h"

#include <QImage>

#include <algorithm>

namespace {

TEST(CueLineHelp, TwentyNineLinesJoinedByCrLf) {
    const std::string& text = CueLineHelpText();
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));
    ASSERT_EQ(lines.size(), 29u);
    for (std::size_t empty : {3u, 7u, 11u, 15u, 19u, 25u})
        EXPECT_EQ(lines[empty], "") << empty;
    EXPECT_EQ(lines[0], "OPENING A VOICE PACK SOUND TEXT");
    EXPECT_EQ(lines[2].substr(0, 56),
              "Click Open and browse to the directory \"Tarnavel\\Sound\\C");
    EXPECT_EQ(lines[26], "TIPS");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 28); // only CR LF pairs
    EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), 28);
    EXPECT_EQ(text.back(), '.');
}

TEST_F(EditorFixture, AboutAndHelpBoxesInDialogUnits) {
    ASSERT_TRUE(start(""));
    CAboutDialog about;
    ASSERT_TRUE(about.Create());
    EXPECT_EQ(about.GetClientSize(), (Size{326, 89})) << "217 by 55 dialog units";
    EXPECT_EQ(about.GetDlgItemText(IDC_ABOUT_LINE2), CAboutDialog::SecondLine());
    EXPECT_EQ(about.GetItemRect(IDC_ABOUT_ICON).Width(), 32) << "the icon, at its size";
    EXPECT_GT(about.GetItemRect(IDOK).left, 326 / 2) << "OK at the top right";
    EXPECT_EQ(about.GetFocusId(), IDOK);
    CHelpDialog help;
    ASSERT_TRUE(help.Create());
    EXPECT_EQ(help.GetClientSize(), (Size{633, 489})) << "422 by 301 dialog units";
    EXPECT_GT(help.GetItemRect(IDOK).top, help.GetItemRect(IDC_HELP_EDIT).bottom);
}

int countColor(const QImage& image, QColor color) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixelColor(x, y) == color;
    return n;
}

TEST_F(EditorFixture, ScreenshotOfThePackShowsColoursAndTitle) {
    std::string png = dir.file("shot.png");
    std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM '" +
                          testsupport::binDir() + "/TnvCueLine' --screenshot '" + png +
                          "' --size 640x300 '" + pack + "/CueLine.clt' 2>/dev/null";
    ASSERT_EQ(testsupport::runCommand(command), 0);
    QImage image(QString::fromStdString(png));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width(), 640);
    EXPECT_GT(image.height(), 300);
    EXPECT_GT(countColor(image, QColor(255, 0, 0)), 100);     // the missing sound
    EXPECT_GT(countColor(image, QColor(199, 232, 255)), 100); // the sound without text
    EXPECT_GT(countColor(image, QColor(255, 255, 255)), 100);
    EXPECT_EQ(image.pixelColor(2, 2), QColor(0, 0, 128)); // the caption strip with the title
}

} // namespace
