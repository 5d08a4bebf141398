// Reading a grid the way a screen reader does: through Qt's accessibility interfaces, with the
// events it would be sent recorded.
#pragma once

#include "platform/access/accessible_qt.h"
#include "platform/frame/frame.h"
#include "platform/window/wnd.h"

#include <QAccessible>
#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QString>
#include <QWidget>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tnv;

namespace accesstest {

struct Heard {
    QAccessible::Event type;
    int child;
    QString value; // what a value change carried
};

// Records every event the tables report while it lives, as a screen reader would hear them.
class Listener {
public:
    Listener() {
        heard().clear();
        accessible::setEventSink(&record);
    }
    ~Listener() { accessible::setEventSink(nullptr); }
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    static std::vector<Heard>& heard() {
        static std::vector<Heard> events;
        return events;
    }
    static int count(QAccessible::Event type, int child = -2) {
        int n = 0;
        for (const Heard& h : heard())
            n += h.type == type && (child == -2 || h.child == child) ? 1 : 0;
        return n;
    }

private:
    static void record(QAccessibleEvent* e) {
        Heard h{e->type(), e->child(), {}};
        if (e->type() == QAccessible::ValueChanged)
            h.value = static_cast<QAccessibleValueChangeEvent*>(e)->value().toString();
        heard().push_back(h);
    }
};

inline QAccessibleInterface* tableOf(CWnd& grid) {
    return QAccessible::queryAccessibleInterface(grid.clientWidget());
}

inline std::string name(QAccessibleInterface* iface) {
    return iface ? iface->text(QAccessible::Name).toStdString() : "<none>";
}

// The texts of a table's column, data rows only, as a reader gets them cell by cell.
inline std::vector<std::string> columnTexts(QAccessibleTableInterface* table, int column) {
    std::vector<std::string> texts;
    for (int r = 0; r < table->rowCount(); ++r)
        texts.push_back(name(table->cellAt(r, column)));
    return texts;
}

// A menu item as a reader announces it: its name and the keys that run it (what the desktop's
// accessibility bus reports as its key binding: the action's, else its accelerator text).
struct ItemHeard {
    std::string name, keys;
    friend bool operator==(const ItemHeard&, const ItemHeard&) = default;
    friend std::ostream& operator<<(std::ostream& os, const ItemHeard& i) {
        return os << "{" << i.name << ", " << i.keys << "}";
    }
};

// Every item of the window's menus, through the menus' accessible interfaces.
inline std::vector<ItemHeard> menuItemsHeard(QMainWindow* window) {
    std::vector<ItemHeard> items;
    for (QAction* top : window->menuBar()->actions()) {
        QAccessibleInterface* menu =
            top->menu() ? QAccessible::queryAccessibleInterface(top->menu()) : nullptr;
        for (int i = 0; menu && i < menu->childCount(); ++i) {
            QAccessibleInterface* item = menu->child(i);
            if (!item || item->role() == QAccessible::Separator)
                continue;
            QStringList keys;
            if (QAccessibleActionInterface* act = item->actionInterface())
                keys = act->keyBindingsForAction(QAccessibleActionInterface::pressAction());
            if (keys.isEmpty())
                keys << item->text(QAccessible::Accelerator);
            items.push_back({name(item), keys.join(QLatin1Char(' ')).toStdString()});
        }
    }
    return items;
}

// What the resources say a reader should hear: the text before the tab without its "&", and
// the key after the tab, else Alt and the item's letter.
inline std::vector<ItemHeard> menuItemsMeant(const FrameResources& resources) {
    std::vector<ItemHeard> items;
    for (const MenuDesc& menu : resources.menu)
        for (const MenuItemDesc& item : menu.items) {
            if (item.id == ID_SEPARATOR)
                continue;
            std::size_t tab = item.text.find('\t');
            std::string shown = item.text.substr(0, tab), plain, letter;
            for (std::size_t i = 0; i < shown.size(); ++i) {
                if (shown[i] == '&' && i + 1 < shown.size() && shown[++i] != '&')
                    letter = "Alt+" + shown.substr(i, 1);
                plain += shown[i];
            }
            items.push_back({plain, tab == std::string::npos ? letter : item.text.substr(tab + 1)});
        }
    return items;
}

} // namespace accesstest
