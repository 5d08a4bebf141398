// A self-drawn table as Qt's accessible table: the window's client widget becomes the table, its
// cells become children (header cells first in each row, as the table has them; before them the
// column titles of a table that shows no header row), and a widget laid over the table (the
// in-place editor) follows the cells as a child of its own.
#include "platform/access/accessible.h"
#include "platform/access/accessible_qt.h"

#include "platform/qt/qtbridge.h"
#include "platform/qt/wnd_widgets.h"
#include "platform/window/wnd.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QPointer>
#include <QWidget>

#include <algorithm>
#include <climits>
#include <map>
#include <utility>

namespace tnv {

namespace {

class TableAccess;

// The indexes below `count` for which `holds` is true.
template <class Predicate> QList<int> indexesWhere(int count, Predicate holds) {
    QList<int> picked;
    for (int i = 0; i < count; ++i)
        if (holds(i))
            picked.append(i);
    return picked;
}

// The non-empty texts of `count` header cells, one space apart.
template <class TextAt> QString joinedTexts(int count, TextAt textAt) {
    QStringList parts;
    for (int i = 0; i < count; ++i)
        parts << qtbridge::toQString(textAt(i));
    parts.removeAll(QString());
    return parts.join(QLatin1Char(' '));
}

// A child of the table with no children and no object of its own: a cell or a column title.
class LeafAccess : public QAccessibleInterface {
public:
    explicit LeafAccess(const TableAccess* table) : table_(table) {}

    QObject* object() const override { return nullptr; }
    QWindow* window() const override;
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    void setText(QAccessible::Text, const QString&) override {}

    const TableAccess* owner() const { return table_; }

protected:
    const TableAccess* table_;
};

// One cell, by position: after a sort it reads whatever text stands there now.
class CellAccess : public LeafAccess, public QAccessibleTableCellInterface {
public:
    CellAccess(const TableAccess* table, int row, int col)
        : LeafAccess(table), row_(row), col_(col) {}

    bool isValid() const override;
    QString text(QAccessible::Text t) const override;
    QRect rect() const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType t) override;

    bool isSelected() const override;
    QList<QAccessibleInterface*> columnHeaderCells() const override;
    QList<QAccessibleInterface*> rowHeaderCells() const override;
    int columnIndex() const override;
    int rowIndex() const override;
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override;

    int row() const { return row_; }
    int col() const { return col_; }

private:
    bool isHeader() const;

    int row_;
    int col_;
};

// A column's title that the table does not show: a header cell readers find above the column.
class TitleAccess : public LeafAccess {
public:
    TitleAccess(const TableAccess* table, int col) : LeafAccess(table), col_(col) {}

    bool isValid() const override;
    QString text(QAccessible::Text t) const override;
    QRect rect() const override { return {}; }
    QAccessible::Role role() const override { return QAccessible::ColumnHeader; }
    QAccessible::State state() const override {
        QAccessible::State s;
        s.invalid = !isValid();
        s.invisible = true;
        s.offscreen = true;
        return s;
    }

    int col() const { return col_; }

private:
    int col_;
};

class TableAccess : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit TableAccess(QWidget* client) : QAccessibleWidget(client, QAccessible::Table) {}
    ~TableAccess() override {
        for (const auto& entry : cells_)
            QAccessible::deleteAccessibleInterface(entry.second);
        for (const auto& entry : titles_)
            QAccessible::deleteAccessibleInterface(entry.second);
    }

    // The window behind the widget, while both exist.
    const AccessibleTable* source() const {
        QWidget* w = widget();
        return w ? dynamic_cast<const AccessibleTable*>(WndClient::wndOf(w)) : nullptr;
    }
    CWnd* wnd() const { return widget() ? WndClient::wndOf(widget()) : nullptr; }
    QWidget* client() const { return widget(); }
    int rows() const { return source() ? std::max(0, source()->AccRows()) : 0; }
    int cols() const { return source() ? std::max(0, source()->AccCols()) : 0; }
    int headerRows() const {
        return source() ? std::clamp(source()->AccHeaderRows(), 0, rows()) : 0;
    }
    int headerCols() const {
        return source() ? std::clamp(source()->AccHeaderCols(), 0, cols()) : 0;
    }
    bool exists(int row, int col) const {
        return row >= 0 && col >= 0 && row < rows() && col < cols();
    }
    // Cells beyond what an int can count stay out of reach rather than wrap around.
    int cellCount() const {
        long long n = (long long)rows() * cols();
        return int(std::min<long long>(n, INT_MAX / 2));
    }
    int indexOfCell(int row, int col) const {
        if (!exists(row, col))
            return -1;
        long long i = (long long)row * cols() + col;
        return i < cellCount() ? int(i) : -1;
    }
    // The titles of a table without header rows come first among its children, as a header
    // row would; 0 when it shows its own headers or has no titles.
    int titleCount() const {
        if (!source() || headerRows() > 0)
            return 0;
        for (int c = 0; c < cols(); ++c)
            if (!source()->AccColumnTitle(c).empty())
                return cols();
        return 0;
    }
    QAccessibleInterface* title(int col) const {
        if (col < 0 || col >= titleCount())
            return nullptr;
        auto it = titles_.find(col);
        if (it != titles_.end())
            if (QAccessibleInterface* iface = QAccessible::accessibleInterface(it->second))
                return iface;
        auto* iface = new TitleAccess(this, col);
        titles_[col] = QAccessible::registerAccessibleInterface(iface);
        return iface;
    }
    // A cell's place among the children (the events name it so); -1 for none.
    int childIndexOfCell(int row, int col) const {
        int i = indexOfCell(row, col);
        return i < 0 ? -1 : titleCount() + i;
    }
    bool hasKeyboardFocus() const {
        CWnd* w = wnd();
        return w && CWnd::GetFocus() == w;
    }

    // The cell's interface, made on first use and kept until the table goes.
    QAccessibleInterface* cell(int row, int col) const {
        if (!exists(row, col))
            return nullptr;
        auto it = cells_.find({row, col});
        if (it != cells_.end())
            if (QAccessibleInterface* iface = QAccessible::accessibleInterface(it->second))
                return iface;
        auto* iface = new CellAccess(this, row, col);
        cells_[{row, col}] = QAccessible::registerAccessibleInterface(iface);
        return iface;
    }
    // Only cells someone has looked at hear of changes; the rest are read fresh when asked.
    QAccessibleInterface* knownCell(int row, int col) const {
        auto it = cells_.find({row, col});
        return it == cells_.end() ? nullptr : QAccessible::accessibleInterface(it->second);
    }

    // Widgets over the table (the in-place editor) while they are shown.
    QList<QWidget*> overlays() const {
        QList<QWidget*> shown;
        if (QWidget* w = widget())
            for (QWidget* kid : w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                if (!kid->isHidden())
                    shown.append(kid);
        return shown;
    }

    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::TableInterface)
            return static_cast<QAccessibleTableInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && source() && !source()->AccName().empty())
            return qtbridge::toQString(source()->AccName());
        return QAccessibleWidget::text(t);
    }

    int childCount() const override { return titleCount() + cellCount() + int(overlays().size()); }
    QAccessibleInterface* child(int index) const override {
        if (index < 0)
            return nullptr;
        if (index < titleCount())
            return title(index);
        index -= titleCount();
        int n = cellCount();
        if (index < n)
            return cell(index / cols(), index % cols());
        QList<QWidget*> over = overlays();
        return index - n < over.size() ? QAccessible::queryAccessibleInterface(over[index - n])
                                       : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        if (!child)
            return -1;
        if (auto* t = dynamic_cast<const TitleAccess*>(child))
            return t->owner() == this && t->col() < titleCount() ? t->col() : -1;
        if (auto* c = dynamic_cast<const CellAccess*>(child))
            return c->owner() == this ? childIndexOfCell(c->row(), c->col()) : -1;
        QList<QWidget*> over = overlays();
        for (int i = 0; i < over.size(); ++i)
            if (child->object() == over[i])
                return titleCount() + cellCount() + i;
        return -1;
    }
    QAccessibleInterface* focusChild() const override {
        QWidget* focus = QApplication::focusWidget();
        if (focus && widget() && focus != widget() && widget()->isAncestorOf(focus))
            return QAccessible::queryAccessibleInterface(focus);
        int row, col;
        if (source() && source()->AccCurrent(&row, &col))
            return cell(row, col);
        return nullptr;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        QWidget* w = widget();
        if (!w || !source())
            return nullptr;
        QPoint local = w->mapFromGlobal(QPoint(x, y));
        for (QWidget* over : overlays())
            if (over->geometry().contains(local))
                return QAccessible::queryAccessibleInterface(over);
        int row, col;
        if (!source()->AccCellAt(qtbridge::fromQPoint(local), &row, &col))
            return nullptr;
        return cell(row, col);
    }

    // --- the table: counts and indexes are of the cells below and right of the headers ------
    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override {
        if (row < 0 || column < 0)
            return nullptr;
        return cell(row + headerRows(), column + headerCols());
    }
    int rowCount() const override { return rows() - headerRows(); }
    int columnCount() const override { return cols() - headerCols(); }
    int selectedCellCount() const override {
        int n = 0;
        for (int r = headerRows(); r < rows(); ++r)
            for (int c = headerCols(); c < cols(); ++c)
                n += source()->AccSelected(r, c) ? 1 : 0;
        return n;
    }
    QList<QAccessibleInterface*> selectedCells() const override {
        QList<QAccessibleInterface*> picked;
        for (int r = headerRows(); r < rows(); ++r)
            for (int c = headerCols(); c < cols(); ++c)
                if (source()->AccSelected(r, c))
                    picked.append(cell(r, c));
        return picked;
    }
    // A column is described by its header texts or its title, a row by the texts of its
    // header columns.
    QString columnDescription(int column) const override {
        if (column < 0 || !source())
            return QString();
        if (titleCount() > 0)
            return qtbridge::toQString(source()->AccColumnTitle(column + headerCols()));
        return joinedTexts(headerRows(),
                           [&](int r) { return source()->AccText(r, column + headerCols()); });
    }
    QString rowDescription(int row) const override {
        if (row < 0)
            return QString();
        return joinedTexts(headerCols(),
                           [&](int c) { return source()->AccText(row + headerRows(), c); });
    }
    bool isRowSelected(int row) const override {
        if (row < 0 || row >= rowCount() || columnCount() == 0)
            return false;
        for (int c = headerCols(); c < cols(); ++c)
            if (!source()->AccSelected(row + headerRows(), c))
                return false;
        return true;
    }
    bool isColumnSelected(int column) const override {
        if (column < 0 || column >= columnCount() || rowCount() == 0)
            return false;
        for (int r = headerRows(); r < rows(); ++r)
            if (!source()->AccSelected(r, column + headerCols()))
                return false;
        return true;
    }
    QList<int> selectedRows() const override {
        return indexesWhere(rowCount(), [this](int r) { return isRowSelected(r); });
    }
    QList<int> selectedColumns() const override {
        return indexesWhere(columnCount(), [this](int c) { return isColumnSelected(c); });
    }
    int selectedRowCount() const override { return int(selectedRows().size()); }
    int selectedColumnCount() const override { return int(selectedColumns().size()); }
    // The selection follows the keyboard and the mouse only.
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    // Cells are read live by position, so a changed table needs nothing rebuilt.
    void modelChange(QAccessibleTableModelChangeEvent*) override {}

private:
    mutable std::map<std::pair<int, int>, QAccessible::Id> cells_;
    mutable std::map<int, QAccessible::Id> titles_;
};

bool TitleAccess::isValid() const {
    return table_->isValid() && col_ < table_->titleCount();
}

QWindow* LeafAccess::window() const {
    return table_->window();
}

QAccessibleInterface* LeafAccess::parent() const {
    return const_cast<TableAccess*>(table_);
}

QString TitleAccess::text(QAccessible::Text t) const {
    if (t != QAccessible::Name || !isValid())
        return {};
    return qtbridge::toQString(table_->source()->AccColumnTitle(col_));
}

bool CellAccess::isValid() const {
    return table_->isValid() && table_->source() && table_->exists(row_, col_);
}

QAccessibleInterface* CellAccess::table() const {
    return const_cast<TableAccess*>(table_);
}

bool CellAccess::isHeader() const {
    return row_ < table_->headerRows() || col_ < table_->headerCols();
}

QString CellAccess::text(QAccessible::Text t) const {
    if ((t != QAccessible::Name && t != QAccessible::Value) || !isValid())
        return {};
    return qtbridge::toQString(table_->source()->AccText(row_, col_));
}

QRect CellAccess::rect() const {
    Rect box;
    QWidget* w = table_->client();
    if (!isValid() || !w || !table_->source()->AccBox(row_, col_, &box))
        return {};
    return qtbridge::toQRect(box).translated(w->mapToGlobal(QPoint(0, 0)));
}

QAccessible::Role CellAccess::role() const {
    if (row_ < table_->headerRows())
        return QAccessible::ColumnHeader;
    if (col_ < table_->headerCols())
        return QAccessible::RowHeader;
    return QAccessible::Cell;
}

QAccessible::State CellAccess::state() const {
    QAccessible::State s;
    if (!isValid()) {
        s.invalid = true;
        return s;
    }
    const AccessibleTable* src = table_->source();
    Rect box;
    if (!src->AccBox(row_, col_, &box))
        s.offscreen = true;
    else if (box.right <= box.left || box.bottom <= box.top)
        s.invisible = true; // a column or row sized to nothing
    if (isHeader())
        return s;
    s.focusable = true;
    s.selectable = true;
    s.selected = src->AccSelected(row_, col_);
    int row, col;
    if (src->AccCurrent(&row, &col) && row == row_ && col == col_ && table_->hasKeyboardFocus())
        s.focused = true;
    if (src->AccWritable(row_, col_))
        s.editable = true;
    else
        s.readOnly = true;
    return s;
}

void* CellAccess::interface_cast(QAccessible::InterfaceType t) {
    if (t == QAccessible::TableCellInterface && isValid() && !isHeader())
        return static_cast<QAccessibleTableCellInterface*>(this);
    return nullptr;
}

bool CellAccess::isSelected() const {
    return isValid() && table_->source()->AccSelected(row_, col_);
}

// Header cells nearest the cell first: that one names the row or column best, and a reader
// that announces a single header takes the first (the editor's file name, not its hidden row
// number).
QList<QAccessibleInterface*> CellAccess::columnHeaderCells() const {
    QList<QAccessibleInterface*> heads;
    for (int r = table_->headerRows() - 1; r >= 0; --r)
        heads.append(table_->cell(r, col_));
    if (QAccessibleInterface* title = table_->title(col_))
        heads.append(title);
    return heads;
}

QList<QAccessibleInterface*> CellAccess::rowHeaderCells() const {
    QList<QAccessibleInterface*> heads;
    for (int c = table_->headerCols() - 1; c >= 0; --c)
        heads.append(table_->cell(row_, c));
    return heads;
}

int CellAccess::columnIndex() const {
    return col_ - table_->headerCols();
}

int CellAccess::rowIndex() const {
    return row_ - table_->headerRows();
}

QAccessibleInterface* tableFactory(const QString& key, QObject* object) {
    // The client widget declares no class of its own, so it is asked for as a plain QWidget.
    if (key != QLatin1String("QWidget") || !object || !object->isWidgetType())
        return nullptr;
    auto* w = static_cast<QWidget*>(object);
    CWnd* wnd = WndClient::wndOf(w);
    if (!wnd || wnd->clientWidget() != w || !dynamic_cast<AccessibleTable*>(wnd))
        return nullptr;
    return new TableAccess(w);
}

accessible::EventSink eventSink = nullptr;

// The table's interface while someone listens; null otherwise (asking would make one).
TableAccess* listening(CWnd& table) {
    if ((!QAccessible::isActive() && !eventSink) || !table.clientWidget())
        return nullptr;
    return dynamic_cast<TableAccess*>(QAccessible::queryAccessibleInterface(table.clientWidget()));
}

void report(QAccessibleEvent& event) {
    if (eventSink)
        eventSink(&event);
    QAccessible::updateAccessibility(&event);
}

} // namespace

namespace accessible {

void setEventSink(EventSink sink) {
    eventSink = sink;
}

void enableTables() {
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(tableFactory);
}

void currentMoved(CWnd& table, int row, int col) {
    TableAccess* access = listening(table);
    if (!access || !access->hasKeyboardFocus())
        return;
    int index = access->childIndexOfCell(row, col);
    if (index < 0)
        return;
    QAccessibleEvent event(table.clientWidget(), QAccessible::Focus);
    event.setChild(index);
    report(event);
}

void textChanged(CWnd& table, int row, int col) {
    TableAccess* access = listening(table);
    if (!access)
        return;
    int index = access->childIndexOfCell(row, col);
    QAccessibleInterface* cell = access->knownCell(row, col);
    int currentRow, currentCol;
    if (!cell && access->source()->AccCurrent(&currentRow, &currentCol) && currentRow == row &&
        currentCol == col)
        cell = access->cell(row, col);
    if (!cell || index < 0)
        return;
    QAccessibleEvent named(table.clientWidget(), QAccessible::NameChanged);
    named.setChild(index);
    report(named);
    QAccessibleValueChangeEvent valued(cell, cell->text(QAccessible::Value));
    report(valued);
}

void selectionChanged(CWnd& table) {
    if (!listening(table))
        return;
    QAccessibleEvent event(table.clientWidget(), QAccessible::SelectionWithin);
    report(event);
}

void layoutChanged(CWnd& table) {
    if (!listening(table))
        return;
    QAccessibleTableModelChangeEvent event(table.clientWidget(),
                                           QAccessibleTableModelChangeEvent::ModelReset);
    report(event);
}

} // namespace accessible

} // namespace tnv
