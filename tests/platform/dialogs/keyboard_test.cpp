// Message boxes answered from the keyboard alone: Enter takes the first button, Tab moves on to
// the next, Escape cancels where there is a Cancel; each box with its title, text and icon.
#include "platform/dialogs/msgbox_qt.h"
#include "tests/support/keyboard.h"

#include <QMessageBox>

#include <gtest/gtest.h>

#include <vector>

using namespace tnv;

namespace {

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
        {MB_OK | MB_ICONERROR, {Qt::Key_Return}, IDOK},
        {MB_OK | MB_ICONERROR, {Qt::Key_Escape}, IDOK},
    };
    for (const Case& c : cases) {
        QString seen;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        keys::whenModal([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            ASSERT_NE(box, nullptr);
            seen = box->windowTitle() + "|" + box->text();
            icon = box->icon();
            for (Qt::Key key : c.keys)
                keys::press(key);
        });
        EXPECT_EQ(MessageBox("Caf\xE9 ?", "Title", c.flags), c.answer)
            << c.flags << " after " << c.keys.size() << " keys";
        EXPECT_EQ(seen, QString::fromUtf8("Title|Caf\xC3\xA9 ?"));
        EXPECT_EQ(icon, c.flags & MB_ICONERROR ? QMessageBox::Critical : QMessageBox::Question);
    }
}

} // namespace
