// What a self-drawn table shows to screen readers. A window that paints its cells itself has
// nothing Qt can describe, so it answers these questions instead and the platform presents it
// to the desktop's accessibility layer as a table of cells (no Qt in this header).
#pragma once

#include "platform/base/types.h"

#include <string>

namespace tnv {

class CWnd;

// Rows and columns count the whole table; the first AccHeaderRows rows and AccHeaderCols
// columns are its headers. Texts are 8-bit, as the table keeps them.
class AccessibleTable {
public:
    virtual ~AccessibleTable() = default;
    virtual int AccRows() const = 0;
    virtual int AccCols() const = 0;
    virtual int AccHeaderRows() const = 0;
    virtual int AccHeaderCols() const = 0;
    virtual std::string AccText(int row, int col) const = 0;
    // The cell's area in client coordinates (right and bottom exclusive); false when it is
    // scrolled out of sight or does not exist.
    virtual bool AccBox(int row, int col, Rect* box) const = 0;
    // The cell under a client point; false for none.
    virtual bool AccCellAt(Point p, int* row, int* col) const = 0;
    // The current cell; false when there is none.
    virtual bool AccCurrent(int* row, int* col) const = 0;
    virtual bool AccSelected(int row, int col) const = 0;
    virtual bool AccWritable(int row, int col) const = 0;
    // What the table holds, read as its name; empty: none.
    virtual std::string AccName() const { return {}; }
    // A column's title for a table that shows no header rows: readers announce it with the
    // column's cells while the screen stays as it is. Empty: none.
    virtual std::string AccColumnTitle(int col) const {
        (void)col;
        return {};
    }
};

// What a table reports as it changes. Each does nothing while no assistive technology listens.
namespace accessible {
// Lets windows that implement AccessibleTable be read; later calls do nothing.
void enableTables();
// The current cell moved (reported as the focus when the table has the keyboard focus).
void currentMoved(CWnd& table, int row, int col);
void textChanged(CWnd& table, int row, int col);
void selectionChanged(CWnd& table);
// Rows or columns were added or removed, or the rows were reordered.
void layoutChanged(CWnd& table);
} // namespace accessible

} // namespace tnv
