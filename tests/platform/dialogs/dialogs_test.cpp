#include "platform/dialogs/dialog.h"
#include "platform/dialogs/dialog_units.h"
#include "platform/dialogs/filedialog.h"
#include "platform/dialogs/msgbox_qt.h"
#include "tests/support/keyboard.h"
#include "tests/support/looks.h"
#include "tests/support/test_support.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace tnv;

namespace {

using keys::whenModal;

TEST(FileFilter, ParsesDescriptionsAndPatternsThatMatchRegardlessOfLetterCase) {
    using Entries = decltype(parseFileFilter(""));
    EXPECT_EQ(parseFileFilter("Tnv Sound file text (CueLine.ClT)|CueLine.ClT|"),
              (Entries{{"Tnv Sound file text (CueLine.ClT)", {"CueLine.ClT"}}}));
    EXPECT_EQ(parseFileFilter("Texts|*.txt;*.clt|All|*.*||"),
              (Entries{{"Texts", {"*.txt", "*.clt"}}, {"All", {"*.*"}}}));
    EXPECT_TRUE(parseFileFilter("").empty());
    EXPECT_TRUE(parseFileFilter("Dangling").empty());
    struct Case {
        const char *name, *pattern;
        bool match;
    } cases[] = {
        {"CueLine.clt", "CueLine.ClT", true},
        {"CUELINE.CLT", "CueLine.ClT", true},
        {"cueline.clt", "CueLine.ClT", true},
        {"CueLine.clt.bak", "CueLine.ClT", false},
        {"MyCueLine.clt", "CueLine.ClT", false},
        {"a.wav", "*.WAV", true},
        {"a.wave", "*.wav", false},
        {"noext", "*.*", true},
        {"ab", "a?", true},
        {"a", "a?", false},
        {"x.y.z", "*.z", true},
        {"\xC9t\xE9.clt", "\xE9T\xC9.CLT", true}, // Latin-1 letters fold too
    };
    for (const Case& c : cases)
        EXPECT_EQ(matchesPattern(c.name, c.pattern), c.match) << c.name << " ~ " << c.pattern;
}

TEST(FileDialogService, ScriptedAnswersInOrderThenCancel) {
    EXPECT_FALSE(GetOpenFileName({}).has_value()); // no service: nothing chosen
    ScriptedFileDialog scripted;
    scripted.setNextFileName("/a/CueLine.clt");
    scripted.setNextCancel();
    OpenFileRequest request;
    request.fileName = "CueLine.clt";
    EXPECT_EQ(GetOpenFileName(request).value_or(""), "/a/CueLine.clt");
    EXPECT_FALSE(GetOpenFileName(request).has_value());
    EXPECT_FALSE(GetOpenFileName(request).has_value());
    ASSERT_EQ(scripted.requests().size(), 3u);
    EXPECT_EQ(scripted.requests()[0].fileName, "CueLine.clt");
}

// A Yes/No question must be answered: Escape and the close box leave it up.
TEST(QtMessageBoxService, YesNoQuestionHasNoEscapeAnswer) {
    QtMessageBox service;
    for (int answer : {IDYES, IDNO}) {
        whenModal([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            ASSERT_NE(box, nullptr);
            QTest::keyClick(box, Qt::Key_Escape);
            QApplication::processEvents();
            EXPECT_TRUE(box->isVisible()) << "after Escape";
            box->close(); // what the window manager's close box asks
            QApplication::processEvents();
            EXPECT_TRUE(box->isVisible()) << "after the close box";
            EXPECT_FALSE(box->windowFlags().testFlag(Qt::WindowCloseButtonHint));
            box->button(answer == IDYES ? QMessageBox::Yes : QMessageBox::No)->click();
        });
        EXPECT_EQ(
            MessageBox("Saving with missing wav text ?", "CueLine", MB_YESNO | MB_ICONQUESTION),
            answer);
    }
}

TEST(FileDialogService, SaveDialogAsksBeforeReplacingAndNoKeepsItOpen) {
    testsupport::TempDir dir;
    std::string existing = dir.file("list.fsl");
    testsupport::writeFile(existing, "old");
    OpenFileRequest request;
    request.title = "Save As";
    request.initialFolder = dir.path();
    request.flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST;

    {
        ScriptedMessageBox boxes;
        ScriptedFileDialog scripted;
        scripted.setNextFileName(existing);        // No: asked again
        scripted.setNextFileName(dir.file("new")); // does not exist: no question
        boxes.setNextAnswer(IDNO);
        EXPECT_EQ(GetSaveFileName(request).value_or(""), dir.file("new"));
        ASSERT_EQ(boxes.calls().size(), 1u);
        EXPECT_EQ(boxes.calls()[0].text, ReplaceQuestion(existing));
        EXPECT_EQ(boxes.calls()[0].flags, MB_YESNO | MB_ICONWARNING);
        EXPECT_EQ(scripted.savesAsked(), std::vector<bool>{true});
    }

    ScriptedMessageBox boxes;
    QtFileDialog real;
    boxes.setNextAnswer(IDNO);
    boxes.setNextAnswer(IDYES);
    whenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
        auto* buttons = dialog->findChild<QDialogButtonBox*>();
        ASSERT_NE(buttons, nullptr);
        ASSERT_NE(buttons->button(QDialogButtonBox::Save), nullptr);
        EXPECT_EQ(buttons->button(QDialogButtonBox::Open), nullptr);
        // Typed into the name box, which has the keys (selectFile leaves a focused box alone).
        auto* name = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        ASSERT_NE(name, nullptr);
        name->setText(QString::fromStdString(existing));
        buttons->button(QDialogButtonBox::Save)->click();
        EXPECT_TRUE(dialog->isVisible()) << "No keeps it open";
        buttons->button(QDialogButtonBox::Save)->click();
    });
    EXPECT_EQ(GetSaveFileName(request).value_or(""), existing);
    EXPECT_EQ(boxes.calls().size(), 2u);
    EXPECT_EQ(testsupport::readFile(existing), "old") << "the dialog only names the file";
}

enum { IDC_TEXT = 100, IDC_OTHER = 102, IDC_BOX = 103, IDC_PICTURE = 104 };

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

TEST(Dialog, LayoutInDialogUnitsThatRoundToTheNearestPixelTextsInTheCodePageFontAndColours) {
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
    // Dialog units follow the dialog font. MS Sans Serif 8, the font the dialogs were laid out in:
    // 6/4 pixel across, 13/8 down.
    dialogunits::Units units("MS Sans Serif", 8);
    EXPECT_EQ(units.x(185), 278);
    EXPECT_EQ(units.y(100), 163);
    EXPECT_EQ(units.x(1), 2) << "one and a half pixels round up";
    EXPECT_EQ(units.y(4), 7);
    EXPECT_EQ(units.rect(7, 7, 32, 14), QRect(11, 11, 48, 23));
    EXPECT_EQ(dialogunits::font("MS Sans Serif", 8).pixelSize(), 11) << "8 points at 96 dpi";
    EXPECT_EQ(dialogunits::Units("MS Sans Serif", 0).x(185), 278) << "no size: 8 points";
    // A larger dialog font makes larger units.
    dialogunits::Units large("MS Sans Serif", 16);
    EXPECT_GT(large.baseX(), units.baseX());
    EXPECT_GT(large.baseY(), units.baseY());
}

TEST(Dialog, EnterEscapeCloseBoxDisabledButtonsAndDoModal) {
    TestDialog d;
    d.refuseCancel = true;
    ASSERT_TRUE(d.Create() && d.WaitActive());
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
    ASSERT_TRUE(e.Create() && e.WaitActive());
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
    CDialog typed({"Help", "MS Sans Serif", 8, 200, 120,
                   std::vector{DlgControl{DlgKind::Picture, IDC_PICTURE, "", 4, 4, 40, 40, 0},
                               DlgControl{DlgKind::Edit, IDC_BOX, "a\r\nb", 50, 4, 140, 80,
                                          ES_WANTRETURN | WS_VSCROLL},
                               DlgControl{DlgKind::Button, IDOK, "OK", 50, 96, 50, 14, 0}}});
    ASSERT_TRUE(typed.Create() && typed.WaitActive());
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

// Message boxes answered from the keyboard alone: Enter takes the first button, Tab moves on to
// the next, Escape cancels where there is a Cancel; each box with its title, text and icon.
TEST(MessageBoxKeys, EnterTabAndEscapeAnswer) {
    QtMessageBox service;
    struct Case {
        UINT flags;
        std::vector<Qt::Key> keys;
        int answer;
    } cases[] = {
        {MB_OKCANCEL | MB_ICONQUESTION, {Qt::Key_Return}, IDOK},
        {MB_OKCANCEL | MB_ICONQUESTION, {Qt::Key_Tab, Qt::Key_Return}, IDCANCEL},
        {MB_OKCANCEL | MB_ICONQUESTION, {Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Return}, IDOK},
        {MB_OKCANCEL | MB_ICONQUESTION, {Qt::Key_Escape}, IDCANCEL},
        {MB_YESNO | MB_ICONQUESTION, {Qt::Key_Return}, IDYES},
        {MB_YESNO | MB_ICONQUESTION, {Qt::Key_Tab, Qt::Key_Return}, IDNO},
        {MB_YESNO | MB_ICONQUESTION, {Qt::Key_Escape, Qt::Key_Tab, Qt::Key_Return}, IDNO},
        {MB_YESNOCANCEL | MB_ICONQUESTION, {Qt::Key_Escape}, IDCANCEL}, // Cancel takes Escape
        {MB_OK | MB_ICONERROR, {Qt::Key_Return}, IDOK},
        {MB_OK | MB_ICONERROR, {Qt::Key_Escape}, IDOK},
    };
    for (const Case& c : cases) {
        whenModal([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->windowTitle() + "|" + box->text(),
                      QString::fromUtf8("Title|Caf\xC3\xA9 ?"));
            EXPECT_EQ(box->icon(),
                      c.flags & MB_ICONERROR ? QMessageBox::Critical : QMessageBox::Question);
            for (Qt::Key key : c.keys)
                keys::press(key);
        });
        EXPECT_EQ(MessageBox("Caf\xE9 ?", "Title", c.flags), c.answer)
            << c.flags << " after " << c.keys.size() << " keys";
    }
}
