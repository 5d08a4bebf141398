#include "platform/dialog.h"

#include <QImage>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

enum { IDC_TEXT = 100, IDC_BIG = 101, IDC_OTHER = 102, IDC_BOX = 103 };

DlgTemplate testTemplate() {
    DlgTemplate t;
    t.caption = "Caf\xE9 dialog";
    t.cx = 200;
    t.cy = 120;
    t.controls = {
        {DlgKind::Text, IDC_TEXT, "Left text", 10, 10, 100, 16, SS_LEFT},
        {DlgKind::Text, IDC_BIG, "", 10, 30, 180, 20, SS_CENTER},
        {DlgKind::Edit, IDC_BOX, "line 1\r\nline 2", 10, 52, 180, 30, 0},
        {DlgKind::Button, IDOK, "OK", 10, 96, 50, 14, BS_DEFPUSHBUTTON},
        {DlgKind::Button, IDC_OTHER, "&Other", 70, 96, 50, 14, 0},
        {DlgKind::Button, IDCANCEL, "Cancel", 140, 96, 50, 14, 0},
    };
    return t;
}

class TestDialog : public CDialog {
public:
    TestDialog() : CDialog(testTemplate()) {}
    std::vector<int> commands;
    bool refuseCancel = false;
    bool endAtInit = false;
    int cancels = 0;

protected:
    BOOL OnInitDialog() override {
        if (endAtInit)
            EndDialog(42);
        return TRUE;
    }
    void OnCommand(int id) override {
        commands.push_back(id);
        CDialog::OnCommand(id);
    }
    void OnCancel() override {
        ++cancels;
        if (!refuseCancel)
            CDialog::OnCancel();
    }
};

QWidget* child(const CDialog& d, const char* text) {
    for (QPushButton* b : d.widget()->findChildren<QPushButton*>())
        if (b->text() == text)
            return b;
    return nullptr;
}

} // namespace

TEST(Dialog, LaysControlsOutInDialogUnits) {
    TestDialog d;
    ASSERT_TRUE(d.Create());
    EXPECT_EQ(d.GetClientSize(), (Size{300, 195}));
    EXPECT_EQ(d.GetItemRect(IDC_TEXT), (Rect{15, 16, 165, 42}));
    EXPECT_EQ(d.GetItemRect(IDOK), (Rect{15, 156, 90, 179}));
    EXPECT_EQ(d.GetItemRect(999), Rect{});
    EXPECT_EQ(d.Caption(), "Caf\xE9 dialog");
    EXPECT_EQ(d.widget()->windowTitle(), QString::fromUtf8("Café dialog"));
}

TEST(Dialog, TextsRoundTripEveryCodePageByte) {
    TestDialog d;
    ASSERT_TRUE(d.Create());
    std::string all;
    for (int c = 0x20; c < 0x100; ++c)
        all += static_cast<char>(c);
    for (int id : {IDC_TEXT, IDC_OTHER, IDC_BOX}) {
        d.SetDlgItemText(id, all);
        EXPECT_EQ(d.GetDlgItemText(id), all) << id;
    }
    EXPECT_EQ(d.GetDlgItemText(999), "");
    d.SetDlgItemText(999, "ignored"); // unknown ids are harmless
}

TEST(Dialog, EnterPressesTheDefaultOrTheFocusedButton) {
    TestDialog d;
    ASSERT_TRUE(d.Create());
    ASSERT_TRUE(d.WaitActive());
    EXPECT_EQ(d.GetFocusId(), IDOK);
    d.GotoDlgCtrl(IDC_OTHER);
    QTest::keyClick(d.widget()->focusWidget(), Qt::Key_Return);
    EXPECT_EQ(d.commands, std::vector<int>{IDC_OTHER});
    EXPECT_TRUE(d.IsOpen());
    d.GotoDlgCtrl(IDOK);
    QTest::keyClick(d.widget()->focusWidget(), Qt::Key_Enter);
    EXPECT_EQ(d.commands, (std::vector<int>{IDC_OTHER, IDOK}));
    EXPECT_FALSE(d.IsOpen());
    EXPECT_EQ(d.Result(), IDOK);
}

TEST(Dialog, EscapeAndTheCloseBoxCancelUnlessRefused) {
    for (bool byKey : {true, false}) {
        TestDialog d;
        d.refuseCancel = true;
        ASSERT_TRUE(d.Create());
        ASSERT_TRUE(d.WaitActive());
        auto cancel = [&] {
            if (byKey)
                QTest::keyClick(d.widget()->focusWidget(), Qt::Key_Escape);
            else
                d.widget()->close();
        };
        cancel();
        EXPECT_EQ(d.cancels, 1);
        EXPECT_TRUE(d.IsOpen());
        EXPECT_TRUE(d.widget()->isVisible());
        d.refuseCancel = false;
        cancel();
        EXPECT_FALSE(d.IsOpen());
        EXPECT_FALSE(d.widget()->isVisible());
        EXPECT_EQ(d.Result(), IDCANCEL);
    }
}

TEST(Dialog, DisabledButtonsDoNothing) {
    TestDialog d;
    ASSERT_TRUE(d.Create());
    d.EnableDlgItem(IDC_OTHER, false);
    EXPECT_FALSE(d.IsDlgItemEnabled(IDC_OTHER));
    QTest::mouseClick(child(d, "&Other"), Qt::LeftButton);
    d.ClickItem(IDC_OTHER);
    EXPECT_TRUE(d.commands.empty());
    d.EnableDlgItem(IDC_OTHER, true);
    d.ClickItem(IDC_OTHER);
    EXPECT_EQ(d.commands, std::vector<int>{IDC_OTHER});
}

TEST(Dialog, DoModalReturnsWhatEndedIt) {
    TestDialog d;
    QTimer::singleShot(0, [&] { QTest::mouseClick(child(d, "Cancel"), Qt::LeftButton); });
    EXPECT_EQ(d.DoModal(), IDCANCEL);
    EXPECT_EQ(d.commands, std::vector<int>{IDCANCEL});

    TestDialog early;
    early.endAtInit = true;
    EXPECT_EQ(early.DoModal(), 42); // ended while being set up: never shown
    EXPECT_FALSE(early.widget()->isVisible());
}

TEST(Dialog, TextControlsDrawWithTheirOwnFontAndColours) {
    TestDialog d;
    ASSERT_TRUE(d.Create());
    FontDesc font = DefaultGuiFont();
    font.setFaceName("Arial");
    font.height = -16;
    font.weight = FW_BOLD;
    d.SetItemFont(IDC_BIG, font);
    d.SetItemColors(IDC_BIG, RGB(0, 0, 255), RGB(255, 0, 0));
    d.SetDlgItemText(IDC_BIG, "MMMM");
    QImage image(d.widget()->size(), QImage::Format_RGB32);
    d.widget()->render(&image);
    Rect r = d.GetItemRect(IDC_BIG);
    EXPECT_EQ(image.pixelColor(r.left + 1, r.bottom - 2), QColor(255, 0, 0));
    int blue = 0, left = r.right, right = r.left;
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) {
            if (image.pixelColor(x, y) == QColor(0, 0, 255)) {
                ++blue;
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    EXPECT_GT(blue, 50);
    EXPECT_NEAR((left + right) / 2.0, (r.left + r.right - 1) / 2.0, 3.0);
    // The default colours: the palette's text, no background of its own.
    d.SetItemColors(IDC_BIG, CLR_DEFAULT, CLR_DEFAULT);
    d.widget()->render(&image);
    EXPECT_NE(image.pixelColor(r.left + 1, r.bottom - 2), QColor(255, 0, 0));
}

TEST(Dialog, SystemColoursAndDefaultFont) {
    EXPECT_EQ(DialogSysColor(COLOR_WINDOWTEXT), RGB(0, 0, 0));
    EXPECT_EQ(DialogSysColor(COLOR_WINDOW), RGB(255, 255, 255));
    FontDesc f = DefaultGuiFont();
    EXPECT_EQ(f.height, -11);
    EXPECT_EQ(f.weight, FW_NORMAL);
}
