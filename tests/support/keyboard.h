// Driving real windows from the keyboard alone: keys go where the platform sends them (an open
// menu, a modal dialog, the focused widget), never straight to a chosen widget.
#pragma once

#include "platform/frame/frame.h"

#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

using namespace tnv;

namespace keys {

// Where the keyboard sends a key now: an open menu, else the focused widget, else the active
// window; null when no window of the program is active.
inline QWidget* keyTarget() {
    if (QWidget* popup = QApplication::activePopupWidget())
        return popup->focusWidget() ? popup->focusWidget() : popup;
    return QApplication::focusWidget() ? QApplication::focusWidget() : QApplication::activeWindow();
}

// Presses and releases a key as the keyboard would. The press may run a whole modal dialog; its
// release then goes where the keyboard is afterwards.
inline void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    if (QWidget* target = keyTarget())
        QTest::keyPress(target, key, modifiers);
    else
        ADD_FAILURE() << "no window has the keyboard";
    if (QWidget* target = keyTarget())
        QTest::keyRelease(target, key, modifiers);
    QApplication::processEvents();
}

// Shows the window and waits until it is the active one.
inline bool activate(QWidget* window) {
    window->show();
    window->raise();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

// The letter after the "&" of a menu text (upper case), 0 when it has none.
inline char mnemonicOf(const std::string& text) {
    std::string shown = text.substr(0, text.find('\t'));
    for (std::size_t i = 0; i + 1 < shown.size(); ++i)
        if (shown[i] == '&' && shown[++i] != '&') // "&&" is a plain "&"
            return shown[i] >= 'a' && shown[i] <= 'z' ? static_cast<char>(shown[i] - 'a' + 'A')
                                                      : shown[i];
    return 0;
}

// Menus and items without a letter of their own, or sharing one with a neighbour.
inline std::vector<std::string> mnemonicProblems(const FrameResources& resources) {
    std::vector<std::string> problems;
    std::set<char> titles;
    for (const MenuDesc& menu : resources.menu) {
        char t = mnemonicOf(menu.title);
        if (!t || !titles.insert(t).second)
            problems.push_back("menu " + menu.title);
        std::set<char> letters;
        for (const MenuItemDesc& item : menu.items) {
            char c = mnemonicOf(item.text);
            if (item.id != ID_SEPARATOR && (!c || !letters.insert(c).second))
                problems.push_back(menu.title + " > " + item.text);
        }
    }
    return problems;
}

// A key as the keyboard sends it, with a name for the test's messages.
struct Stroke {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    std::string name;
};

// The keys that move a table's current cell, alone and with Ctrl or Shift (Ctrl+Tab is the
// desktop's: it takes the focus on).
inline std::vector<Stroke> navigationStrokes() {
    const std::pair<Qt::Key, const char*> moves[] = {
        {Qt::Key_Left, "Left"},   {Qt::Key_Right, "Right"},   {Qt::Key_Up, "Up"},
        {Qt::Key_Down, "Down"},   {Qt::Key_Home, "Home"},     {Qt::Key_End, "End"},
        {Qt::Key_PageUp, "PgUp"}, {Qt::Key_PageDown, "PgDn"}, {Qt::Key_Tab, "Tab"}};
    std::vector<Stroke> strokes;
    for (const auto& [key, name] : moves) {
        strokes.push_back({key, Qt::NoModifier, name});
        strokes.push_back({key, Qt::ShiftModifier, std::string("Shift+") + name});
        if (key != Qt::Key_Tab)
            strokes.push_back({key, Qt::ControlModifier, std::string("Ctrl+") + name});
    }
    strokes.push_back({Qt::Key_Backtab, Qt::ShiftModifier, "Shift+Tab as Backtab"});
    return strokes;
}

// Keys that move nothing in a table.
inline std::vector<Stroke> otherStrokes() {
    return {{Qt::Key_A, Qt::NoModifier, "A"},           {Qt::Key_Space, Qt::NoModifier, "Space"},
            {Qt::Key_Delete, Qt::NoModifier, "Delete"}, {Qt::Key_Return, Qt::NoModifier, "Enter"},
            {Qt::Key_Escape, Qt::NoModifier, "Escape"}, {Qt::Key_F2, Qt::NoModifier, "F2"},
            {Qt::Key_A, Qt::ControlModifier, "Ctrl+A"}};
}

// The menu open now, or null.
inline QMenu* openMenu() {
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

// Runs `act` on the modal dialog once it is up (it is called from the dialog's own loop). A
// dialog that `act` did not close is closed after a while, so a fault fails and never hangs.
inline void whenModal(std::function<void(QWidget*)> act) {
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, act, waited = 0]() mutable {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal && ++waited <= 500)
            return;
        poll->stop();
        poll->deleteLater();
        if (!modal) {
            ADD_FAILURE() << "no dialog came up";
            return;
        }
        EXPECT_TRUE(QTest::qWaitForWindowActive(modal));
        act(modal);
        QTimer::singleShot(3000, [left = QPointer<QWidget>(modal)] {
            if (auto* dialog = qobject_cast<QDialog*>(left.data()); dialog && dialog->isVisible()) {
                ADD_FAILURE() << dialog->windowTitle().toStdString() << " was left open";
                dialog->done(0);
            }
        });
    });
    poll->start();
}

// Opens the dialog of a menu item by its letters (Alt+`menu`, then `item`) once for each key of
// `answers`, and answers it with that key. Returns what each time showed: the dialog's title, or
// "(no dialog)", or "(still open)" after the title when the key did not close it.
inline std::vector<std::string> menuDialogTitles(QWidget* window, Qt::Key menu, Qt::Key item,
                                                 std::initializer_list<Qt::Key> answers) {
    std::vector<std::string> titles;
    for (Qt::Key answer : answers) {
        if (!activate(window)) {
            titles.push_back("(window not active)");
            break;
        }
        // Shared with the dialog's loop, which might come up after this returned.
        auto title = std::make_shared<std::string>("(no dialog)");
        whenModal([title, answer](QWidget* modal) {
            *title = modal->windowTitle().toStdString();
            press(answer);
        });
        press(menu, Qt::AltModifier);
        press(item);
        if (QApplication::activeModalWidget())
            *title += " (still open)";
        titles.push_back(*title);
    }
    return titles;
}

} // namespace keys
