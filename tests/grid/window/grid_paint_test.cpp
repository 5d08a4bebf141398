// What the grid paints, read back pixel by pixel from its window.
#include "grid_window_fixture.h"

#include "platform/base/contrast.h"
#include "platform/draw/syscolors.h"

#include <QApplication>
#include <QPalette>

constexpr COLORREF white = RGB(255, 255, 255);
constexpr COLORREF navy = RGB(0, 0, 128);
constexpr COLORREF grey = RGB(200, 200, 200);
constexpr COLORREF lines = RGB(192, 192, 192);
constexpr COLORREF red = RGB(255, 0, 0);
constexpr COLORREF black = RGB(0, 0, 0);

TEST(GridLook, StartsWithTheSystemColoursAndDefaults) {
    WindowTestGrid g(3, 4, 1, 1);
    EXPECT_EQ(
        (std::vector{g.GetNumRows(), g.GetNumCols(), g.GetNumFixedRows(), g.GetNumFixedCols()}),
        (std::vector{3, 4, 1, 1}));
    EXPECT_EQ((std::vector{g.GetCellTextColor(), g.GetCellBackColor(), g.GetGridBackColor(),
                           g.GetFixedBackColor(), g.GetGridLineColor()}),
              (std::vector{GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_WINDOW),
                           GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNFACE), lines}));
    EXPECT_EQ((std::vector{g.GetGridLines(), g.GetWheelLines(), g.GetRowSize(2), g.GetColSize(3),
                           g.GetSortColumn()}),
              (std::vector{GRIDLINES_BOTH, 3, 10, 30, -1}));
    EXPECT_TRUE(g.IsEditable());
    EXPECT_FALSE(g.IsModified());
    EXPECT_EQ(g.GetCurrentCell(), CGridPos(-1, -1));
    GRIDCELLINFO info = cellInfo(2, 3, 0xFF);
    ASSERT_TRUE(g.GetCellInfo(&info));
    EXPECT_EQ(std::tuple(info.image, info.backColor, info.textColor),
              std::tuple(-1, CLR_DEFAULT, CLR_DEFAULT));
    EXPECT_EQ(info.font, g.GetGridFont());
}

// 5 x 4 cells of 40 x 20 pixels, one fixed row and column, in a 300 x 200 client area.
class GridPaintTest : public GridWindowTest {
protected:
    ProbeGrid& setUpGrid() {
        ProbeGrid& g = make(5, 4, 1, 1);
        g.SetCellBackColor(white);
        g.SetCellTextColor(black);
        g.SetGridBackColor(navy);
        g.SetFixedBackColor(grey);
        g.SetFixedTextColor(black);
        g.SetGridLineColor(lines);
        g.Invalidate(TRUE);
        return g;
    }
    COLORREF pixel(int x, int y) {
        grid->UpdateWindow();
        return grid->GetDC()->GetPixel(x, y);
    }
    // Each probe: x, y and the colour wanted there.
    testing::AssertionResult
    pixelsAre(std::initializer_list<std::tuple<int, int, COLORREF>> probes) {
        testing::AssertionResult result = testing::AssertionSuccess();
        for (auto [x, y, colour] : probes)
            if (COLORREF got = pixel(x, y); got != colour)
                result = testing::AssertionFailure() << result.message() << " (" << x << ", " << y
                                                     << ") is " << got << " not " << colour;
        return result;
    }
    // Over the rectangle: the pixels that differ from `bg`, the mean of their x, and the one that
    // stands out most (the colour the text is drawn in).
    struct Ink {
        int n = 0;
        double meanX = -1;
        COLORREF most;
    };
    Ink ink(const Rect& r, COLORREF bg) {
        grid->UpdateWindow();
        auto dc = grid->GetDC();
        Ink out{0, 0, bg};
        for (int x = r.left; x < r.right; ++x)
            for (int y = r.top; y < r.bottom; ++y)
                if (COLORREF p = dc->GetPixel(x, y); p != bg) {
                    ++out.n;
                    out.meanX += x;
                    if (contrast::ratio(p, bg) > contrast::ratio(out.most, bg))
                        out.most = p;
                }
        out.meanX = out.n ? out.meanX / out.n : -1;
        return out;
    }
};

// Cell (1, 1) spans x 40..79 and y 20..39, its grid lines on its last pixel column and row; right
// of, below and beyond the cells is the grid's background.
TEST_F(GridPaintTest, CellsLinesAndTheAreaBeyond) {
    for (BOOL buffered : {TRUE, FALSE}) {
        SCOPED_TRACE(buffered);
        ProbeGrid& g = grid ? *grid : setUpGrid();
        g.SetDoubleBuffered(buffered);
        g.Invalidate(TRUE);
        EXPECT_TRUE(
            pixelsAre({{60, 25, white}, {79, 30, lines}, {60, 39, lines}, {80, 30, white}}));
        EXPECT_TRUE(pixelsAre({{200, 50, navy}, {60, 150, navy}, {250, 150, navy}}));
        EXPECT_TRUE(pixelsAre({{20, 50, grey}, {100, 10, grey}})); // the fixed column and row
    }
}

// A cell's own colour stays when the grid's changes, and inside the current cell's black frame
// though selected; an outlined cell is framed too.
TEST_F(GridPaintTest, OwnColoursFramesAndGridColours) {
    ProbeGrid& g = setUpGrid();
    g.SetCellBackColor(2, 2, red);
    EXPECT_EQ(pixel(100, 50), red);
    g.SetCellBackColor(RGB(255, 255, 0)); // cells with CLR_DEFAULT follow the grid
    g.Invalidate(TRUE);
    EXPECT_TRUE(pixelsAre({{60, 25, RGB(255, 255, 0)}, {100, 50, red}}));
    g.SetCellBackColor(white);
    g.SetSelectionAnchor(CGridPos(2, 1));
    g.SelectCellsTo(CGridPos(3, 2));
    g.SetCurrentCell(2, 2);
    g.SetCellState(3, 3, GCS_OUTLINED);
    g.Invalidate(TRUE);
    // Cell (2, 2) covers (80, 40) - (119, 59); its grid lines are x = 119 and y = 59.
    const COLORREF hi = GetSysColor(COLOR_HIGHLIGHT);
    EXPECT_TRUE(pixelsAre({{80, 40, black}, {118, 50, black}, {100, 58, black}, {119, 50, lines}}));
    EXPECT_TRUE(pixelsAre({{100, 45, red}, {60, 45, hi}, {100, 65, hi}, {140, 45, white}}));
    EXPECT_TRUE(pixelsAre({{120, 60, black}, {130, 65, white}})); // outlined (3, 3)
}

// Under a dark desktop the grid's text is light: on a cell's own background it would not read.
TEST_F(GridPaintTest, TextOnAnOwnBackgroundIsBlackOrWhite) {
    ProbeGrid& g = setUpGrid();
    const COLORREF light = RGB(230, 230, 230), dark = RGB(40, 40, 40), blue = RGB(0, 0, 200);
    g.SetCellTextColor(light);
    g.SetCellBackColor(dark);
    g.SetFixedTextColor(light);
    g.SetFixedBackColor(dark);
    struct Case {
        int row, col;
        COLORREF back, text, ink; // back, text: the cell's own, CLR_DEFAULT for none
    } cases[] = {
        {1, 1, white, CLR_DEFAULT, black},
        {1, 2, red, CLR_DEFAULT, black},
        {1, 3, navy, CLR_DEFAULT, white},
        {2, 1, CLR_DEFAULT, CLR_DEFAULT, light}, // the grid's background: the grid's text
        {2, 2, white, blue, blue},               // a text colour of its own is kept
        {3, 3, white, CLR_DEFAULT, black},       // the current cell, in its frame
        {0, 2, white, CLR_DEFAULT, black},       // a header cell
        {3, 0, CLR_DEFAULT, CLR_DEFAULT, light},
    };
    for (const Case& c : cases) {
        GRIDCELLINFO info = cellInfo(c.row, c.col, GCIF_TEXT | GCIF_BACKCOLOR | GCIF_TEXTCOLOR);
        info.text = "HIH";
        info.backColor = c.back;
        info.textColor = c.text;
        ASSERT_TRUE(g.SetCellInfo(&info));
    }
    g.SetCurrentCell(3, 3);
    g.Invalidate(TRUE);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.row << "," << c.col);
        CellBox box;
        ASSERT_TRUE(g.GetCellBox(c.row, c.col, &box));
        COLORREF back = c.back != CLR_DEFAULT ? c.back : dark;
        // Smoothed edges at fractional scales come near the text colour, not always onto it.
        COLORREF ink =
            this->ink({box.left + 2, box.top + 2, box.right - 1, box.bottom - 1}, back).most;
        EXPECT_LT(contrast::ratio(ink, c.ink), 1.25) << std::hex << ink;
    }
    // The current cell's frame shows on the dark background too.
    g.SetCurrentCell(2, 1);
    CellBox box;
    ASSERT_TRUE(g.GetCellBox(2, 1, &box));
    EXPECT_TRUE(pixelsAre({{box.left, box.top + 5, white}, {box.left + 5, box.top, white}}));
}

TEST_F(GridPaintTest, DesktopColourChangesRecolourOnlyUnchangedColours) {
    ProbeGrid& g = make(3, 3, 1, 1);
    g.SetGridBackColor(navy); // the program's own choice
    const QPalette before = QApplication::palette();
    QPalette dark = before;
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    dark.setColor(QPalette::Text, QColor(240, 240, 240));
    QApplication::setPalette(dark);
    QApplication::processEvents(); // Qt tells the widgets from its event loop
    EXPECT_EQ((std::vector{g.GetCellBackColor(), g.GetCellTextColor(), g.GetGridBackColor()}),
              (std::vector{RGB(30, 30, 30), RGB(240, 240, 240), navy}));
    EXPECT_EQ(pixel(60, 25), RGB(30, 30, 30));
    QApplication::setPalette(before);
    QApplication::processEvents();
    EXPECT_EQ(g.GetCellBackColor(), GetSysColor(COLOR_WINDOW));

    SetSysColorOverride(COLOR_WINDOW, RGB(1, 2, 3));
    SetSysColorOverride(COLOR_BTNSHADOW, RGB(4, 5, 6));
    g.SendMessage(WM_SYSCOLORCHANGE);
    EXPECT_EQ((std::vector{g.GetCellBackColor(), g.GetGridBackColor(), g.GetGridLineColor()}),
              (std::vector{RGB(1, 2, 3), navy, lines}));
    SetSysColorOverride(COLOR_WINDOW, RGB(7, 8, 9));
    g.SendMessage(WM_SYSCOLORCHANGE); // still the system's: follows again
    EXPECT_EQ(g.GetCellBackColor(), RGB(7, 8, 9));
    ResetSysColors();
}

TEST_F(GridPaintTest, HeadersOfTheCurrentRowAndColumnAreSunkenAndSemiBold) {
    ProbeGrid& g = setUpGrid();
    for (int c = 1; c < 4; ++c)
        g.SetCellText(0, c, "HHH");
    g.SetCurrentCell(2, 2);
    const COLORREF dk = GetSysColor(COLOR_3DDKSHADOW), lt = GetSysColor(COLOR_BTNHIGHLIGHT);
    // Header (0, 2) spans x 80..119: sunken, dark at its top and left.
    EXPECT_TRUE(pixelsAre({{80, 5, dk}, {100, 0, dk}}));
    // Header (0, 1) spans x 40..79: raised, light on top, dark on the right and bottom.
    EXPECT_TRUE(pixelsAre({{60, 0, lt}, {40, 10, lt}, {79, 10, dk}, {60, 19, dk}}));
    EXPECT_TRUE(pixelsAre({{0, 45, dk}, {0, 65, lt}})); // row header (2, 0) sunken, (3, 0) raised
    EXPECT_GT(ink({82, 2, 118, 18}, grey).n, ink({42, 2, 78, 18}, grey).n); // semi-bold: more ink
}

TEST_F(GridPaintTest, CentredTextSitsInTheMiddleOfItsCellAmpersandsShowAsTyped) {
    ProbeGrid& g = setUpGrid();
    g.SetColSize(2, 100);
    g.Invalidate(TRUE);
    GRIDCELLINFO info = cellInfo(2, 2, GCIF_TEXT | GCIF_FORMAT);
    info.text = "MM";
    info.format = DT_CENTER;
    g.SetCellInfo(&info);
    g.SetCellText(3, 2, "MM"); // left aligned, for comparison
    Ink centred = ink({81, 41, 178, 58}, white);
    ASSERT_GT(centred.n, 0);
    EXPECT_NEAR(centred.meanX, 80 + 50, 3);
    EXPECT_LT(ink({81, 61, 178, 78}, white).meanX, 110);

    // Ampersands are shown as typed, in the first body column widened.
    g.SetColSize(1, 120);
    g.SetCellText(1, 1, "a&b");
    g.SetCellText(2, 1, "ab");
    g.Invalidate(TRUE);
    EXPECT_GT(ink({41, 21, 158, 38}, white).n, ink({41, 41, 158, 58}, white).n + 10);
}

// The current cell is drawn through the grid's own surface, without waiting for a paint.
TEST_F(GridPaintTest, DrawingOffPaintsNothingCurrentCellDrawnAtOnce) {
    ProbeGrid& g = setUpGrid();
    g.UpdateWindow();
    g.EnableDraw(FALSE);
    g.SetCellBackColor(1, 1, red);
    EXPECT_FALSE(g.RepaintCell(1, 1));
    g.Invalidate(TRUE);
    EXPECT_EQ(pixel(60, 25), white);
    g.EnableDraw(TRUE);
    EXPECT_TRUE(g.RepaintCell(1, 1));
    EXPECT_EQ(g.GetDC()->GetPixel(60, 25), red);
    EXPECT_TRUE(g.RepaintColumn(1));
    g.UpdateWindow();
    g.SetCurrentCell(1, 1);
    EXPECT_EQ(g.GetDC()->GetPixel(40, 20), black);
    int paints = g.cellPaints;
    g.SetCurrentCell(1, 1); // the same cell: nothing to draw
    EXPECT_EQ(g.cellPaints, paints);
}

TEST_F(GridPaintTest, ScrolledViewPaintsTheRowsThatCameIn) {
    ProbeGrid& g = make(30, 3, 1, 1);
    g.SetCellBackColor(white);
    g.SetCellBackColor(11, 1, red);
    g.Invalidate(TRUE);
    g.UpdateWindow();
    g.SendMessage(WM_VSCROLL, SB_LINEDOWN);
    g.SendMessage(WM_VSCROLL, SB_LINEDOWN);
    g.UpdateWindow();
    // Row 11 was at y 200..219 (off screen); two rows up it is at 180..199.
    EXPECT_EQ(g.GetDC()->GetPixel(60, 185), red);
    EXPECT_NE(g.GetDC()->GetPixel(60, 165), red);
}

// A repaint of part of the window (what an expose or a scroll asks for) gives the pixels of a
// full paint there and leaves the rest alone, with texts overflowing their cells, fonts and
// colours changing from cell to cell, and the current and selected cells among them.
TEST_F(GridPaintTest, PartialRepaintMatchesTheFullPaint) {
    ProbeGrid& g = make(40, 6, 1, 1, 300, 200, 17, 45);
    LOGFONT bold = *g.GetCellFont(1, 1);
    bold.weight = FW_BOLD;
    for (int r = 0; r < 40; ++r)
        for (int c = 0; c < 6; ++c) {
            g.SetCellText(r, c,
                          "cell " + std::to_string(r) + "/" + std::to_string(c) + " overflows");
            if ((r + c) % 3 == 0)
                g.SetCellFont(r, c, &bold);
            if ((r * c) % 5 == 1)
                g.SetCellBackColor(r, c, RGB(255, 255, 180));
        }
    g.SetCurrentCell(3, 2);
    g.SetCellState(4, 3, g.GetCellState(4, 3) | GCS_PICKED);
    g.SendMessage(WM_VSCROLL, SB_LINEDOWN);
    ImageSurface full(300, 200);
    g.PaintGrid(full);
    for (Rect part : {Rect{30, 10, 170, 95}, Rect{61, 40, 62, 180}, Rect{0, 0, 300, 18}}) {
        SCOPED_TRACE(testing::Message() << part.left << "," << part.top);
        ImageSurface piece(300, 200, red);
        piece.IntersectClipRect(part);
        g.PaintGrid(piece);
        int wrong = 0;
        for (int x = 0; x < 300; ++x)
            for (int y = 0; y < 200; ++y) {
                bool inside = x >= part.left && x < part.right && y >= part.top && y < part.bottom;
                wrong += piece.GetPixel(x, y) != (inside ? full.GetPixel(x, y) : red);
            }
        EXPECT_EQ(wrong, 0);
    }
}

TEST_F(GridWindowTest, NotificationsGoToTheOwner) {
    ProbeGrid& g = make(5, 5, 1, 1);
    using N = GridOwner::Note;
    g.SetCurrentCell(2, 2);
    EXPECT_EQ(owner.notes, (std::vector<N>{{GN_CURRENTCHANGED, 2, 2}}));
    owner.notes.clear();
    g.SetCurrentCell(2, 2);
    EXPECT_TRUE(owner.notes.empty());
    g.SetCurrentCell(3, 1);
    EXPECT_EQ(owner.notes, (std::vector<N>{{GN_CURRENTCHANGING, 2, 2}, {GN_CURRENTCHANGED, 3, 1}}));
    owner.notes.clear();
    g.SelectEverything();
    g.ClearSelection();
    EXPECT_EQ(owner.notes, (std::vector<N>{{GN_CURRENTCHANGING, 3, 1}}));
    EXPECT_EQ(g.GetPickedCount(), 0u);
    owner.notes.clear();
    g.ClearSelection(); // nothing was current: nothing to say
    EXPECT_TRUE(owner.notes.empty());

    GridOwner other;
    ASSERT_TRUE(other.CreateTopLevel("other", 0, Rect{0, 0, 10, 10}));
    g.SetOwner(&other);
    g.SetCurrentCell(1, 1);
    EXPECT_EQ(other.notes.size(), 1u);
    EXPECT_TRUE(owner.notes.empty());
    EXPECT_EQ(g.NotifyParent(1, 1, GN_BEGINEDIT), 0);
    g.SetOwner(&owner);
    grid.reset(); // deleting a grid with a window and a current cell sends nothing
    EXPECT_TRUE(owner.notes.empty());
}
