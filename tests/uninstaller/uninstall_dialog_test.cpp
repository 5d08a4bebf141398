#include "tests/uninstaller/sim_tree.h"
#include "uninstaller/uninstall_dialog.h"

#include <QColor>
#include <QImage>
#include <QWidget>
#include <gtest/gtest.h>

using simtree::exists;
using simtree::SimTree;

namespace {

class UninstallDialogTest : public ::testing::Test {
protected:
    SimTree tree;
    std::vector<std::string> started;
    std::vector<std::string> labelWhileStarting;
    CUninstallDialog dialog{tree.env(), [this](const std::string& path) {
                                started.push_back(path);
                                labelWhileStarting.push_back(
                                    dialog.GetDlgItemText(CUninstallDialog::IDC_LABEL));
                                return true;
                            }};

    void SetUp() override {
        ASSERT_TRUE(dialog.Create());
        ASSERT_TRUE(dialog.WaitActive());
    }

    void expectNothingRemoved() {
        for (const std::string& p : tree.addonPaths())
            EXPECT_TRUE(exists(p)) << p;
        EXPECT_TRUE(exists(tree.sim + "/Tarnavel/bin/FleetScout.txt"));
        EXPECT_TRUE(started.empty());
        EXPECT_FALSE(exists(tree.tmp + "/_uninsep.sh"));
    }

    // Screenshots land beside the test program, to be looked at.
    void screenshot(const std::string& name) { dialog.SaveImage(name + ".png"); }
};

QImage grab(const CDialog& d) {
    QImage image(d.widget()->size(), QImage::Format_RGB32);
    d.widget()->render(&image);
    return image;
}

} // namespace

TEST_F(UninstallDialogTest, AsksFirst) {
    EXPECT_EQ(dialog.Caption(), "Uninstall Tarnavel");
    EXPECT_EQ(dialog.LabelText(), "Uninstall Tarnavel ?");
    EXPECT_EQ(dialog.GetDlgItemText(CUninstallDialog::IDC_LABEL), "Uninstall Tarnavel ?");
    EXPECT_EQ(dialog.GetDlgItemText(CUninstallDialog::IDC_UNINSTALL), "Uninstall");
    EXPECT_EQ(dialog.GetDlgItemText(IDCANCEL), "Cancel");
    EXPECT_TRUE(dialog.IsDlgItemEnabled(CUninstallDialog::IDC_UNINSTALL));
    EXPECT_TRUE(dialog.IsDlgItemEnabled(IDCANCEL));
    EXPECT_EQ(dialog.GetFocusId(), CUninstallDialog::IDC_UNINSTALL);
    EXPECT_FALSE(dialog.widget()->windowIcon().isNull());
    // 185 x 100 dialog units, the label at 62, 28, 113 x 20.
    EXPECT_EQ(dialog.GetClientSize(), (Size{278, 163}));
    EXPECT_EQ(dialog.GetItemRect(CUninstallDialog::IDC_LABEL), (Rect{93, 46, 263, 79}));
    EXPECT_EQ(dialog.GetItemRect(CUninstallDialog::IDC_UNINSTALL), (Rect{11, 132, 173, 155}));
    EXPECT_EQ(dialog.GetItemRect(IDCANCEL), (Rect{185, 132, 260, 155}));

    const FontDesc& font = dialog.Label().Font();
    EXPECT_STREQ(font.faceName, "Arial");
    EXPECT_EQ(font.height, -11);
    EXPECT_EQ(font.weight, FW_BOLD);
    EXPECT_EQ(dialog.Label().TextColor(), RGB(0, 0, 0));
    EXPECT_EQ(dialog.Label().BkColor(), RGB(255, 255, 255));
    screenshot("uninstall_dialog_ask");
}

TEST_F(UninstallDialogTest, LabelIsBlackBoldTextCentredOnWhite) {
    QImage image = grab(dialog);
    Rect r = dialog.GetItemRect(CUninstallDialog::IDC_LABEL);
    int left = r.right, right = r.left, top = r.bottom, bottom = r.top, white = 0;
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) {
            QColor c = image.pixelColor(x, y);
            if (c == Qt::white) {
                ++white;
            } else if (c.lightness() < 96) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
        }
    }
    EXPECT_GT(white, r.Width() * r.Height() / 2);
    ASSERT_LT(left, right) << "no dark text in the label";
    EXPECT_NEAR((left + right) / 2.0, (r.left + r.right - 1) / 2.0, 3.0); // centred
    EXPECT_LE(top, r.top + 3);                                            // at the top
    EXPECT_GE(bottom - top + 1, 7); // a capital of an 11-pixel font, no bigger
    EXPECT_LE(bottom - top + 1, 13);
}

TEST_F(UninstallDialogTest, UninstallRemovesThenFinishEnds) {
    dialog.ClickItem(CUninstallDialog::IDC_UNINSTALL);

    EXPECT_EQ(dialog.GetDlgItemText(CUninstallDialog::IDC_LABEL),
              "Uninstall Completed click finish");
    EXPECT_EQ(dialog.GetDlgItemText(IDCANCEL), "Finish");
    EXPECT_FALSE(dialog.IsDlgItemEnabled(CUninstallDialog::IDC_UNINSTALL));
    EXPECT_TRUE(dialog.IsOpen());
    EXPECT_EQ(started, std::vector<std::string>{tree.tmp + "/_uninsep.sh"});
    EXPECT_EQ(labelWhileStarting, std::vector<std::string>{"Removing Tarnavel.. wait"});
    EXPECT_FALSE(exists(tree.sim + "/Flights/Tarnavel"));
    EXPECT_FALSE(exists(tree.sim + "/Tarnavel/bin"));
    EXPECT_FALSE(exists(tree.apps + "/Tarnavel"));
    for (const std::string& p : tree.keptPaths())
        EXPECT_TRUE(exists(p)) << p;
    screenshot("uninstall_dialog_done");

    dialog.ClickItem(CUninstallDialog::IDC_UNINSTALL); // disabled: nothing happens again
    EXPECT_EQ(started.size(), 1u);

    dialog.PressKey(VK_RETURN); // Enter now means Finish
    EXPECT_FALSE(dialog.IsOpen());
    EXPECT_EQ(dialog.Result(), IDCANCEL);
}

TEST_F(UninstallDialogTest, EnterUninstalls) {
    dialog.PressKey(VK_RETURN);
    EXPECT_EQ(started.size(), 1u);
    EXPECT_TRUE(dialog.IsOpen());
    dialog.PressKey(VK_ESCAPE);
    EXPECT_FALSE(dialog.IsOpen());
}

TEST_F(UninstallDialogTest, CancelByButton) {
    dialog.ClickItem(IDCANCEL);
    EXPECT_FALSE(dialog.IsOpen());
    EXPECT_EQ(dialog.Result(), IDCANCEL);
    expectNothingRemoved();
}

TEST_F(UninstallDialogTest, CancelByEscape) {
    dialog.PressKey(VK_ESCAPE);
    EXPECT_FALSE(dialog.IsOpen());
    expectNothingRemoved();
}

TEST_F(UninstallDialogTest, CancelByCloseBox) {
    dialog.widget()->close();
    EXPECT_FALSE(dialog.IsOpen());
    EXPECT_FALSE(dialog.widget()->isVisible());
    expectNothingRemoved();
}
