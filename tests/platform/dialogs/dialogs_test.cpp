#include "platform/dialogs/dialog.h"
#include "platform/dialogs/dialog_units.h"
#include "platform/dialogs/filedialog.h"
#include "platform/dialogs/msgbox_qt.h"
#include "platform/frame/frame.h"
#include "tests/support/keyboard.h"
#include "tests/support/test_support.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace tnv;

namespace {

using keys::whenModal;

TEST(FileFilter, ParsesDescriptionsAndPatternsThatMatchRegardlessOfLetterCase) {
    auto entries = parseFileFilter("Tnv Sound file text (CueLine.ClT)|CueLine.ClT|");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].first, "Tnv Sound file text (CueLine.ClT)");
    EXPECT_EQ(entries[0].second, (std::vector<std::string>{"CueLine.ClT"}));
    entries = parseFileFilter("Texts|*.txt;*.clt|All|*.*||");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].second.size(), 2u);
    EXPECT_EQ(entries[1].first, "All");
    EXPECT_TRUE(parseFileFilter("").empty());
    EXPECT_TRUE(parseFileFilter("Dangling").empty());
    // Patterns match regardless of letter case.
    struct Case {
        const char* name;
        const char* pattern;
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
        bool stayedAfterEscape = false, stayedAfterClose = false, closeBox = true;
        whenModal([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            ASSERT_NE(box, nullptr);
            QTest::keyClick(box, Qt::Key_Escape);
            QApplication::processEvents();
            stayedAfterEscape = box->isVisible();
            box->close(); // what the window manager's close box asks
            QApplication::processEvents();
            stayedAfterClose = box->isVisible();
            closeBox = box->windowFlags().testFlag(Qt::WindowCloseButtonHint);
            box->button(answer == IDYES ? QMessageBox::Yes : QMessageBox::No)->click();
        });
        EXPECT_EQ(
            MessageBox("Saving with missing wav text ?", "CueLine", MB_YESNO | MB_ICONQUESTION),
            answer);
        EXPECT_TRUE(stayedAfterEscape);
        EXPECT_TRUE(stayedAfterClose);
        EXPECT_FALSE(closeBox);
    }
    // A box with Cancel still takes Escape as Cancel.
    whenModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
    EXPECT_EQ(MessageBox("Replace?", "T", MB_YESNOCANCEL | MB_ICONQUESTION), IDCANCEL);
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
    bool saveMode = false, saveButton = false, openButton = true, stayedOnNo = false;
    whenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        saveMode = dialog->acceptMode() == QFileDialog::AcceptSave;
        auto* buttons = dialog->findChild<QDialogButtonBox*>();
        ASSERT_NE(buttons, nullptr);
        saveButton = buttons->button(QDialogButtonBox::Save) != nullptr;
        openButton = buttons->button(QDialogButtonBox::Open) != nullptr;
        // Typed into the name box, which has the keys (selectFile leaves a focused box alone).
        auto* name = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        ASSERT_NE(name, nullptr);
        name->setText(QString::fromStdString(existing));
        buttons->button(QDialogButtonBox::Save)->click();
        stayedOnNo = dialog->isVisible();
        buttons->button(QDialogButtonBox::Save)->click();
    });
    EXPECT_EQ(GetSaveFileName(request).value_or(""), existing);
    EXPECT_TRUE(saveMode);
    EXPECT_TRUE(saveButton);
    EXPECT_FALSE(openButton);
    EXPECT_TRUE(stayedOnNo);
    EXPECT_EQ(boxes.calls().size(), 2u);
    EXPECT_EQ(testsupport::readFile(existing), "old") << "the dialog only names the file";
}

TEST(DialogUnits, FollowTheDialogFontAndRoundToTheNearestPixel) {
    // MS Sans Serif 8, the font the dialogs were laid out in: 6/4 pixel across, 13/8 down.
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

} // namespace
