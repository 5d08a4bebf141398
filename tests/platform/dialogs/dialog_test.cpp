#include "platform/dialogs/dialog.h"
#include "tests/support/looks.h"

#include <QImage>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace tnv;

namespace {

enum { IDC_TEXT = 100, IDC_OTHER = 102, IDC_BOX = 103 };

class TestDialog : public CDialog {
public:
    TestDialog()
        : CDialog({"Caf\xE9 dialog", "MS Sans Serif", 8, 200, 120,
                   std::vector{
                       DlgControl{DlgKind::Text, IDC_TEXT, "", 10, 10, 180, 20, SS_CENTER},
                       DlgControl{DlgKind::Edit, IDC_BOX, "line 1\r\nline 2", 10, 52, 180, 30, 0},
                       DlgControl{DlgKind::Button, IDOK, "OK", 10, 96, 50, 14, BS_DEFPUSHBUTTON},
                       DlgControl{DlgKind::Button, IDC_OTHER, "&Other", 70, 96, 50, 14, 0},
                       DlgControl{DlgKind::Button, IDCANCEL, "Cancel", 140, 96, 50, 14, 0}}}) {}
    std::vector<int> commands;
    bool refuseCancel = false, endAtInit = false;

protected:
    bool OnInitDialog() override {
        if (endAtInit)
            EndDialog(42);
        return TRUE;
    }
    void OnCommand(int id) override {
        commands.push_back(id);
        CDialog::OnCommand(id);
    }
    void OnCancel() override {
        if (!refuseCancel)
            CDialog::OnCancel();
    }
};

void key(CDialog& d, Qt::Key k) {
    QTest::keyClick(d.widget()->focusWidget(), k);
}

} // namespace

TEST(Dialog, LayoutInDialogUnitsTextsInTheCodePageWithTheirOwnFontAndColours) {
    TestDialog d;
    ASSERT_TRUE(d.Create());
    EXPECT_EQ(d.GetClientSize(), (Size{300, 195}));
    EXPECT_EQ(d.GetItemRect(IDOK), (Rect{15, 156, 90, 179}));
    EXPECT_EQ(d.GetItemRect(999), Rect{});
    EXPECT_EQ(d.widget()->windowTitle(), QString::fromUtf8("Café dialog"));
    std::string all;
    for (int c = 0x20; c < 0x100; ++c)
        all += static_cast<char>(c);
    for (int id : {IDC_TEXT, IDC_OTHER, IDC_BOX}) {
        d.SetDlgItemText(id, all);
        EXPECT_EQ(d.GetDlgItemText(id), all) << id;
    }
    d.SetDlgItemText(999, "unknown ids are harmless");
    EXPECT_EQ(d.GetDlgItemText(999), "");

    // Text controls draw with their own font and colours.
    FontDesc font = DefaultGuiFont();
    font.height = -16;
    d.SetItemFont(IDC_TEXT, font);
    d.SetItemColors(IDC_TEXT, RGB(0, 0, 255), RGB(255, 0, 0));
    d.SetDlgItemText(IDC_TEXT, "MMMM");
    QImage image(d.widget()->size(), QImage::Format_RGB32);
    d.widget()->render(&image);
    Rect r = d.GetItemRect(IDC_TEXT);
    EXPECT_EQ(image.pixelColor(r.left + 1, r.bottom - 2), QColor(255, 0, 0));
    int blue = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            blue += image.pixelColor(x, y) == QColor(0, 0, 255);
    EXPECT_GT(blue, 50);
    d.SetItemColors(IDC_TEXT, CLR_DEFAULT, CLR_DEFAULT); // the dialog's own background again
    d.widget()->render(&image);
    EXPECT_NE(image.pixelColor(r.left + 1, r.bottom - 2), QColor(255, 0, 0));

    // A background of its own and no text colour: on a dark desktop its light text would vanish.
    looks::Scope dark(true);
    d.SetItemColors(IDC_TEXT, CLR_DEFAULT, RGB(255, 255, 255));
    d.widget()->render(&image);
    EXPECT_GE(
        looks::textContrast(image, QRect(r.left, r.top, r.Width(), r.Height()), RGB(255, 255, 255)),
        contrast::kReadable);
}

TEST(Dialog, EnterEscapeCloseBoxDisabledButtonsAndDoModal) {
    TestDialog d;
    d.refuseCancel = true;
    ASSERT_TRUE(d.Create());
    ASSERT_TRUE(d.WaitActive());
    EXPECT_EQ(d.GetFocusId(), IDOK);
    d.GotoDlgCtrl(IDC_OTHER);
    key(d, Qt::Key_Return); // the focused button
    d.EnableDlgItem(IDC_OTHER, false);
    d.ClickItem(IDC_OTHER); // disabled: nothing
    key(d, Qt::Key_Escape);
    d.widget()->close();
    EXPECT_TRUE(d.IsOpen()); // OnCancel refused both
    EXPECT_TRUE(d.widget()->isVisible());
    d.refuseCancel = false;
    d.widget()->close();
    EXPECT_FALSE(d.IsOpen());
    EXPECT_FALSE(d.widget()->isVisible());
    EXPECT_EQ(d.Result(), IDCANCEL);
    EXPECT_EQ(d.commands, std::vector<int>{IDC_OTHER});

    TestDialog e;
    ASSERT_TRUE(e.Create());
    ASSERT_TRUE(e.WaitActive());
    key(e, Qt::Key_Enter); // the default button
    EXPECT_EQ(e.commands, std::vector<int>{IDOK});
    EXPECT_EQ(e.Result(), IDOK);

    // DoModal returns what ended it.
    TestDialog modal;
    QTimer::singleShot(0, [&] { modal.ClickItem(IDCANCEL); });
    EXPECT_EQ(modal.DoModal(), IDCANCEL);
    TestDialog early;
    early.endAtInit = true;
    EXPECT_EQ(early.DoModal(), 42); // ended while being set up: never shown
    EXPECT_FALSE(early.widget()->isVisible());
}

TEST(Dialog, EditBoxesShowLineBreaksKeepWhatWasSetAndTabOn) {
    TestDialog readOnly;
    ASSERT_TRUE(readOnly.Create());
    auto* box = readOnly.widget()->findChild<QPlainTextEdit*>();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isReadOnly());
    EXPECT_EQ(box->toPlainText(), "line 1\nline 2");

    // The help box: the user may type and press Enter in it, to no effect on its text.
    enum { IDC_PICTURE = 104 };
    CDialog typed({"Help", "MS Sans Serif", 8, 200, 120,
                   std::vector{DlgControl{DlgKind::Picture, IDC_PICTURE, "", 4, 4, 40, 40, 0},
                               DlgControl{DlgKind::Edit, IDC_BOX, "a\r\nb", 50, 4, 140, 80,
                                          ES_WANTRETURN | WS_VSCROLL},
                               DlgControl{DlgKind::Button, IDOK, "OK", 50, 96, 50, 14, 0}}});
    ASSERT_TRUE(typed.Create());
    ASSERT_TRUE(typed.WaitActive());
    typed.GotoDlgCtrl(IDC_BOX);
    box = typed.widget()->findChild<QPlainTextEdit*>();
    EXPECT_FALSE(box->isReadOnly());
    QTest::keyClicks(box, "typed");
    key(typed, Qt::Key_Return);
    EXPECT_TRUE(typed.IsOpen()) << "Enter makes a new line in the box";
    EXPECT_EQ(typed.GetDlgItemText(IDC_BOX), "a\r\nb");
    key(typed, Qt::Key_Tab);
    EXPECT_EQ(typed.GetFocusId(), IDOK);
    key(typed, Qt::Key_Return);
    EXPECT_EQ(typed.Result(), IDOK);

    static const char* const xpm[] = {"2 2 1 1", "a c #FF0000", "aa", "aa", nullptr};
    typed.SetItemImage(IDC_PICTURE, xpm);
    EXPECT_EQ(typed.GetItemRect(IDC_PICTURE).Width(), 2) << "sized to the image";
}
