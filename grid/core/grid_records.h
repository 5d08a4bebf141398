// The records the grid shares with the programs: positions, spans, the cell-attribute request,
// the cell object, and the notification record.
#pragma once

#include "platform/base/types.h"

#include <string>

namespace tnv {

// A cell position; -1/-1 means none.
struct CGridPos {
    int row = -1;
    int col = -1;
    CGridPos() = default;
    CGridPos(int r, int c) : row(r), col(c) {}
    friend bool operator==(const CGridPos&, const CGridPos&) = default;
};

// A cell's pixels, all four sides inclusive, as the grid lays cells out; a Rect leaves out its
// right and bottom edge.
struct CellBox {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left + 1; }
    int Height() const { return bottom - top + 1; }
    // The same pixels as an area to fill or to hand to the platform.
    Rect Area() const { return Rect{left, top, right + 1, bottom + 1}; }
    // The box less its right and bottom edge, where the grid lines run.
    Rect Inside() const { return Rect{left, top, right, bottom}; }
    void Deflate(int d) {
        left += d;
        top += d;
        right -= d;
        bottom -= d;
    }
    friend bool operator==(const CellBox&, const CellBox&) = default;
};

// A block of cells, all four bounds inclusive; all -1 = empty.
struct CGridSpan {
    int minRow = -1;
    int minCol = -1;
    int maxRow = -1;
    int maxCol = -1;
    CGridSpan() = default;
    CGridSpan(int r0, int c0, int r1, int c1) : minRow(r0), minCol(c0), maxRow(r1), maxCol(c1) {}
    long long GetCellCount() const {
        return static_cast<long long>(maxRow - minRow + 1) * (maxCol - minCol + 1);
    }
    friend bool operator==(const CGridSpan&, const CGridSpan&) = default;
};

// Which attributes a GRIDCELLINFO request sets or reads.
constexpr UINT GCIF_TEXT = 0x01;
constexpr UINT GCIF_IMAGE = 0x02;
constexpr UINT GCIF_DATA = 0x04;
constexpr UINT GCIF_STATE = 0x08;
constexpr UINT GCIF_BACKCOLOR = 0x10;
constexpr UINT GCIF_TEXTCOLOR = 0x20;
constexpr UINT GCIF_FORMAT = 0x40;
constexpr UINT GCIF_FONT = 0x80;

// Cell state bits.
constexpr UINT GCS_CURRENT = 0x01;
constexpr UINT GCS_PICKED = 0x02;
constexpr UINT GCS_OUTLINED = 0x04;
constexpr UINT GCS_LOCKED = 0x08;
constexpr UINT GCS_CHANGED = 0x20;

// Grid-line modes.
constexpr int GRIDLINES_NONE = 0;
constexpr int GRIDLINES_HORZ = 1;
constexpr int GRIDLINES_VERT = 2;
constexpr int GRIDLINES_BOTH = 3;

// Notification codes sent to the owner with WM_NOTIFY.
constexpr int GN_CURRENTCHANGING = -100;
constexpr int GN_CURRENTCHANGED = -101;
constexpr int GN_BEGINEDIT = -105;
constexpr int GN_ENDEDIT = -106;

// The keys that move the current cell: Tab, the arrows, Home, End, Page Up and Page Down.
inline bool IsGridNavigationKey(UINT vk) {
    switch (vk) {
    case VK_TAB:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_END:
    case VK_HOME:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
        return true;
    default:
        return false;
    }
}

struct GRIDCELLINFO {
    int row = 0;
    int col = 0;
    UINT mask = 0; // only the low 8 bits count
    UINT state = 0;
    UINT format = 0;
    std::string text;
    int image = -1;
    COLORREF backColor = CLR_DEFAULT;
    COLORREF textColor = CLR_DEFAULT;
    LPARAM data = 0;
    LOGFONT font;
};

// One cell. Only MakeCell creates them; the grid owns and deletes them.
class CGridEntry {
public:
    virtual ~CGridEntry() = default;
    UINT state = 0;
    UINT format = 0; // DT_* flags for drawing the text
    std::string text;
    int image = -1;
    COLORREF backColor = CLR_DEFAULT;
    COLORREF textColor = CLR_DEFAULT;
    LOGFONT font;
    LPARAM data = 0;
};

struct NMGRIDCELL {
    NMHDR hdr;
    int row = -1;
    int col = -1;
};

// Orders two data words for SortRowsByData: negative, 0 or positive.
using GridCompareFn = int (*)(LPARAM a, LPARAM b, LPARAM user);

} // namespace tnv
