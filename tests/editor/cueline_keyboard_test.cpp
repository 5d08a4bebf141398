// The editor's help dialog, with the help text, driven by the keyboard alone: Tab, Enter and
// Escape. The keys both table programs share are tested over both, in tests/programs.
#include "editor_fixture.h"

#include "tests/support/keyboard.h"

#include <QPlainTextEdit>
#include <QPushButton>

namespace {

TEST_F(OnPack, HelpDialogTabsToOkAndEnterCloses) {
    ASSERT_TRUE(keys::activate(window()));
    QString title, text;
    bool tabbedToOk = false;
    keys::whenModal([&](QWidget* modal) {
        title = modal->windowTitle();
        if (auto* edit = modal->findChild<QPlainTextEdit*>())
            text = edit->toPlainText();
        EXPECT_NE(qobject_cast<QPlainTextEdit*>(QApplication::focusWidget()), nullptr);
        keys::press(Qt::Key_Tab);
        tabbedToOk = qobject_cast<QPushButton*>(QApplication::focusWidget()) != nullptr;
        keys::press(Qt::Key_Return);
    });
    keys::press(Qt::Key_H, Qt::AltModifier);
    keys::press(Qt::Key_H);
    EXPECT_EQ(title, "TnvCueLine Help");
    EXPECT_TRUE(tabbedToOk);
    std::string lf = CueLineHelpText();
    std::erase(lf, '\r'); // each one starts a CR LF pair
    EXPECT_EQ(text.toStdString(), lf);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    // The desktop gives the window back its activation, and the grid its keys.
    ASSERT_TRUE(keys::activate(window()));
    EXPECT_EQ(CWnd::GetFocus(), &grid());

    // Escape closes it too.
    EXPECT_EQ(keys::menuDialogTitles(window(), Qt::Key_H, Qt::Key_H, {Qt::Key_Escape}),
              std::vector<std::string>{"TnvCueLine Help"});
}

} // namespace
