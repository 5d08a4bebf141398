#include "tests/support/looks.h"
#include "tests/uninstaller/sim_tree.h"
#include "uninstaller/uninstall_dialog.h"

#include <QColor>
#include <QWidget>

using simtree::exists;

namespace {

class UninstallDialogTest : public ::testing::Test {
protected:
    simtree::SimTree tree;
    std::vector<std::string> started, labelWhileStarting;
    CUninstallDialog dialog{tree.env(), [this](const std::string& path) {
                                started.push_back(path);
                                labelWhileStarting.push_back(dialog.GetDlgItemText(1001));
                                return true;
                            }};

    void SetUp() override {
        ASSERT_TRUE(dialog.Create());
        ASSERT_TRUE(dialog.WaitActive());
    }
    void expectCancelledWithNothingRemoved() {
        EXPECT_FALSE(dialog.IsOpen());
        EXPECT_EQ(dialog.Result(), IDCANCEL);
        EXPECT_TRUE(simtree::present(true, tree.addonPaths()));
        EXPECT_TRUE(started.empty());
        EXPECT_TRUE(simtree::scriptsIn(tree.tmp).empty());
    }
};

} // namespace

TEST_F(UninstallDialogTest, AsksFirstWithBlackBoldTextCentredOnWhite) {
    EXPECT_EQ(dialog.Caption(), "Uninstall Tarnavel");
    EXPECT_EQ(dialog.GetDlgItemText(1001), "Uninstall Tarnavel ?");
    EXPECT_EQ(dialog.GetDlgItemText(1000), "Uninstall");
    EXPECT_EQ(dialog.GetDlgItemText(IDCANCEL), "Cancel");
    EXPECT_TRUE(dialog.IsDlgItemEnabled(1000) && dialog.IsDlgItemEnabled(IDCANCEL));
    EXPECT_EQ(dialog.GetFocusId(), 1000);
    EXPECT_FALSE(dialog.widget()->windowIcon().isNull());
    EXPECT_EQ(dialog.GetClientSize(), (Size{278, 163})); // 185 x 100 dialog units
    Rect r = dialog.GetItemRect(1001);
    EXPECT_EQ(r, (Rect{93, 46, 263, 79}));
    EXPECT_EQ(dialog.Label().Font().height, -11);
    EXPECT_STREQ(dialog.Label().Font().faceName, "Arial");
    dialog.SaveImage("uninstall_dialog_ask.png"); // beside the test program, to be looked at

    QImage image(dialog.widget()->size(), QImage::Format_RGB32);
    dialog.widget()->render(&image);
    int left = r.right, right = r.left, top = r.bottom, bottom = r.top, white = 0, dark = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            QColor c = image.pixelColor(x, y);
            if (c == Qt::white)
                ++white;
            else if (c.lightness() < 96)
                ++dark, left = std::min(left, x), right = std::max(right, x),
                        top = std::min(top, y), bottom = std::max(bottom, y);
        }
    EXPECT_GT(white, r.Width() * r.Height() / 2);
    EXPECT_GT(dark, 120); // bold
    EXPECT_NEAR((left + right) / 2.0, (r.left + r.right - 1) / 2.0, 3.0);
    EXPECT_LE(top, r.top + 3);
    EXPECT_GE(bottom - top + 1, 7); // the capitals of an 11-pixel font
    EXPECT_LE(bottom - top + 1, 13);
}

// The label keeps its white on any desktop; its text must read on it on a dark one too, in
// each of its states.
TEST(UninstallDialogLook, TheLabelReadsOnALightAndADarkDesktop) {
    for (bool dark : {false, true}) {
        looks::Scope look(dark);
        simtree::SimTree tree;
        CUninstallDialog dialog{tree.env(), [](const std::string&) { return true; }};
        ASSERT_TRUE(dialog.Create());
        for (int step = 0; step < 2; ++step) {
            if (step == 1)
                dialog.ClickItem(1000);
            QImage image(dialog.widget()->size(), QImage::Format_RGB32);
            dialog.widget()->render(&image);
            Rect r = dialog.GetItemRect(1001);
            EXPECT_GE(looks::textContrast(image, QRect(r.left, r.top, r.Width(), r.Height()),
                                          RGB(255, 255, 255)),
                      contrast::kReadable)
                << (dark ? "dark, " : "light, ") << dialog.GetDlgItemText(1001);
        }
        dialog.ClickItem(IDCANCEL);
    }
}

TEST_F(UninstallDialogTest, UninstallRemovesThenFinishEnds) {
    dialog.ClickItem(1000);
    EXPECT_EQ(dialog.GetDlgItemText(1001), "Uninstall Completed click finish");
    EXPECT_EQ(dialog.GetDlgItemText(IDCANCEL), "Finish");
    EXPECT_FALSE(dialog.IsDlgItemEnabled(1000));
    EXPECT_TRUE(dialog.IsOpen());
    EXPECT_EQ(started.size(), 1u);
    EXPECT_EQ(labelWhileStarting, std::vector<std::string>{"Removing Tarnavel.. wait"});
    dialog.SaveImage("uninstall_dialog_done.png");

    dialog.ClickItem(1000); // disabled now
    EXPECT_EQ(started.size(), 1u);
    dialog.PressKey(VK_RETURN); // Enter now means Finish
    EXPECT_FALSE(dialog.IsOpen());
}

TEST_F(UninstallDialogTest, TabGoesToCancelWhereEnterRemovesNothing) {
    dialog.PressKey(VK_TAB);
    EXPECT_EQ(dialog.GetFocusId(), IDCANCEL);
    dialog.PressKey(VK_RETURN);
    expectCancelledWithNothingRemoved();
}

TEST_F(UninstallDialogTest, CancelButtonRemovesNothing) {
    dialog.ClickItem(IDCANCEL);
    expectCancelledWithNothingRemoved();
}

TEST_F(UninstallDialogTest, EscapeRemovesNothing) {
    dialog.PressKey(VK_ESCAPE);
    expectCancelledWithNothingRemoved();
}

TEST(UninstallDialogElsewhere, SaysWhyAndOffersOnlyClose) {
    simtree::SimTree tree;
    std::string copy = tree.make("home/Downloads/UninstallTarnavel");
    std::string canary = tree.make("home/Flights/Tarnavel/trip.flt");
    bool started = false;
    CUninstallDialog dialog{tree.env(copy), [&](const std::string&) { return started = true; }};
    ASSERT_TRUE(dialog.Create());
    ASSERT_TRUE(dialog.WaitActive());
    EXPECT_EQ(dialog.GetDlgItemText(1001),
              "Not in a simulator's Tarnavel folder: nothing was removed");
    EXPECT_FALSE(dialog.IsDlgItemEnabled(1000));
    EXPECT_EQ(dialog.GetDlgItemText(IDCANCEL), "Close");
    EXPECT_EQ(dialog.GetFocusId(), IDCANCEL);
    dialog.SaveImage("uninstall_dialog_refused.png");
    dialog.ClickItem(1000);
    dialog.PressKey(VK_RETURN);
    EXPECT_FALSE(dialog.IsOpen());
    EXPECT_FALSE(started);
    EXPECT_TRUE(exists(canary));
    EXPECT_TRUE(simtree::present(true, tree.addonPaths()));
}
