// A table program's real window, as the keyboard tests drive it: the same keys, each program's
// own menus, cells and dialogs.
#pragma once

#include "grid/window/cell_grid.h"
#include "platform/frame/frame.h"

#include <QWidget>

#include <memory>
#include <string>
#include <vector>

using namespace tnv;

// A menu item reached by its letters, and whether its command is checked afterwards.
struct MenuLetters {
    Qt::Key menu;
    Qt::Key item;
    UINT command;
    bool checked;
};

// A key pressed in an open menu and the title of the menu open after it (no key: just opened).
struct MenuStep {
    Qt::Key key;
    QString title;
};

struct KeyedProgram {
    virtual ~KeyedProgram() = default;
    [[nodiscard]] virtual bool start() = 0;
    // Makes the table long enough to scroll before the start.
    virtual void useLongTable() {}
    virtual FrameResources resources() const = 0;
    virtual CFrameWnd& frame() = 0;
    virtual CCellGrid& grid() = 0;
    virtual bool modified() { return false; }
    QWidget* window() { return static_cast<QWidget*>(frame().nativeWindow()); }

    int column = 0; // where the arrow keys are tried
    // Entering the table without a current cell, the long table scrolled down `scrolledRows`
    // first, which shows `scrolled` as its first scrolled cell.
    int scrolledRows = 0;
    CGridPos scrolled;
    CGridPos entered;
    unsigned enteredPicked = 0;
    std::vector<Qt::Key> thenKeys; // from no current cell, once the table has been entered
    CGridPos thenCell;
    // The menus: one opened by its letter and walked down to an item, items by their letters,
    // and the walk left and right from a menu.
    Qt::Key walkedMenu = Qt::Key_unknown;
    QString walkedTitle;
    int walkedDown = 0;
    UINT walkedCommand = 0;
    std::vector<MenuLetters> letters;
    Qt::Key crossedMenu = Qt::Key_unknown;
    std::vector<MenuStep> crossing;
    std::string aboutTitle;
};

std::unique_ptr<KeyedProgram> cueLineKeys();
std::unique_ptr<KeyedProgram> fleetKeys();
