// Reading a grid the way a screen reader does: through Qt's accessibility interfaces, with the
// events it would be sent recorded.
#pragma once

#include "platform/accessible_qt.h"
#include "platform/wnd.h"

#include <QAccessible>
#include <QString>
#include <QWidget>

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

inline QAccessibleInterface* tableOf(Wnd& grid) {
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

} // namespace accesstest
