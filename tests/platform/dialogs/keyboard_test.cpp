// Message boxes answered from the keyboard alone: Enter takes the first button, Tab moves on to
// the next, Escape cancels where there is a Cancel.
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
        keys::whenModal([&](QWidget*) {
            for (Qt::Key key : c.keys)
                keys::press(key);
        });
        EXPECT_EQ(MessageBox("Text", "Title", c.flags), c.answer)
            << c.flags << " after " << c.keys.size() << " keys";
    }
}

} // namespace
