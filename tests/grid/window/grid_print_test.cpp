// The grid's pages: geometry and grid lines on images whose size makes the page scale exact, and
// whole jobs into PDF files read back with poppler's tools.
#include "grid/core/print_pages.h"
#include "grid/window/cell_grid.h"
#include "platform/base/contrast.h"
#include "platform/draw/syscolors.h"
#include "tests/grid/core/grid_test_util.h"
#include "tests/support/test_support.h"

#include <QImage>
#include <QPainter>

#include <cstdlib>
#include <memory>

namespace {

const COLORREF BLACK = RGB(0, 0, 0);

// A grid of `rows` body rows of the given height, three columns of 60, no grid window.
std::unique_ptr<CCellGrid> makeGrid(int rows, int height, int fixedRows = 1) {
    auto grid = std::make_unique<CCellGrid>(rows + fixedRows, 3, fixedRows, 0);
    for (int c = 0; c < 3; ++c)
        grid->SetColSize(c, 60);
    for (int r = 0; r < grid->GetNumRows(); ++r) {
        grid->SetRowSize(r, r < fixedRows ? 20 : height);
        for (int c = 0; c < 3; ++c)
            grid->SetCellText(r, c, r < fixedRows ? "Title" : "R" + std::to_string(r));
    }
    return grid;
}

// `top`: device y of body y = 0, below three character heights of header and the fixed rows.
struct Geometry {
    int cw = 0, ch = 0, W = 0, H = 0, B = 0, top = 0;
};

// Measures once on a large page; the page width is then W device pixels, so one grid pixel is
// one image pixel, and the height is chosen to give the body height wanted.
Geometry exactPage(CCellGrid& grid, int body) {
    ImageSurface probe(2000, 3000);
    CPrintInfo info;
    grid.PrintBegin(&probe, &info);
    grid.PrintEnd(&probe, &info);
    const int ch = grid.GetPrintCharHeight();
    const int band = grid.GetFixedBandHeight();
    return {grid.GetPrintCharWidth(), ch,   grid.GetPrintPageWidth(),
            body + 6 * ch + band,     body, 3 * ch + band};
}

// Prints page `page` of a job begun on a W x H image; returns the page's image.
std::unique_ptr<ImageSurface> printPage(CCellGrid& grid, const Geometry& g, int page,
                                        CPrintInfo* job = nullptr) {
    CPrintInfo local;
    CPrintInfo& info = job ? *job : local;
    ImageSurface setup(g.W, g.H);
    grid.PrintBegin(&setup, &info);
    EXPECT_EQ(grid.GetPrintBodyHeight(), g.B);
    auto dc = std::make_unique<ImageSurface>(g.W, g.H);
    info.currentPage = page;
    grid.PrintPage(dc.get(), &info);
    grid.PrintEnd(&setup, &info);
    return dc;
}

struct GridJob : PrintJobSteps {
    explicit GridJob(CCellGrid& g) : grid(g) {}
    void OnBeginPrinting(CDC* dc, CPrintInfo* info) override { grid.PrintBegin(dc, info); }
    void OnPrint(CDC* dc, CPrintInfo* info) override { grid.PrintPage(dc, info); }
    void OnEndPrinting(CDC* dc, CPrintInfo* info) override { grid.PrintEnd(dc, info); }
    CCellGrid& grid;
};

} // namespace

TEST(GridPrint, GeometryOfTheJob) {
    auto grid = makeGrid(4, 40);
    ImageSurface page(1000, 1414);
    CPrintInfo info;
    grid->PrintBegin(&page, &info);
    const int cw = grid->GetPrintCharWidth(), ch = grid->GetPrintCharHeight();
    EXPECT_GT(std::min(cw, ch), 0);
    EXPECT_EQ(grid->GetPrintPageWidth(), 180 + 8 * cw);
    EXPECT_EQ(grid->GetPrintPageHeight(), MulDiv(180 + 8 * cw, 1414, 1000));
    EXPECT_EQ(grid->GetPrintBodyHeight(), grid->GetPrintPageHeight() - 6 * ch - 20);
    EXPECT_EQ(std::pair(info.currentPage, info.maxPage), std::pair(1, 1));

    // A zero-width column takes no room; twice the width doubles the page in grid pixels.
    grid->SetColSize(0, 0);
    grid->PrintBegin(&page, &info);
    EXPECT_EQ(grid->GetPrintPageWidth(), 120 + 8 * cw);
    for (int c = 0; c < 3; ++c)
        grid->SetColSize(c, 120);
    grid->PrintBegin(&page, &info);
    const int wide = grid->GetPrintPageWidth();
    EXPECT_EQ(wide, 360 + 8 * cw);
    EXPECT_EQ(grid->GetPrintBodyHeight(), MulDiv(wide, 1414, 1000) - 6 * ch - 20);
    grid->PrintEnd(&page, &info);
}

TEST(GridPrint, NoBodyRowsLeavesTheJobAlone) {
    auto grid = makeGrid(0, 40);
    ImageSurface page(500, 700);
    CPrintInfo info;
    grid->PrintBegin(&page, &info);
    EXPECT_EQ(info.maxPage, CPrintInfo().maxPage);
    grid->PrintPage(&page, &info); // nothing measured: nothing drawn, no crash
    grid->PrintPage(nullptr, &info);
    grid->PrintBegin(&page, nullptr);
    grid->PrintEnd(&page, &info);
}

// Rows on pages of a 100-pixel body: where the lines of each page are drawn (black) and not.
TEST(GridPrint, RowsOnPagesOfABodyOfHundred) {
    struct Probe {
        int page, y, black; // y: below the body's top
    };
    struct Case {
        int rows, height, fixedRows;
        int tallRow; // made 150 pixels high; -1: none
        int x;       // right of the first column's left edge
        int pages;
        std::vector<Probe> probes;
    } cases[] = {
        {4, 40, 1, -1, 10, 2, {{1, 39, 1}, {1, 79, 1}, {1, 81, 0}, {1, 95, 0}, {2, 39, 1}}},
        {4, 40, 1, -1, 10, 2, {{2, 79, 1}, {3, 39, 0}}}, // beyond the last page: no rows
        {3, 50, 1, -1, 10, 2, {{1, 49, 1}, {1, 99, 1}, {2, 49, 1}, {2, 99, 0}}}, // a full body
        // A row taller than the body, on its own page: its left edge runs down the whole body,
        // and is cut where the footer begins.
        {3, 40, 1, 2, 0, 3, {{2, 50, 1}, {2, 99, 1}, {2, 101, 0}}},
        {4, 40, 0, -1, 10, 2, {{1, 0, 1}, {2, 0, 0}, {2, 39, 1}}}, // the top rule on page 1 only
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rows << " rows of " << c.height);
        auto grid = makeGrid(c.rows, c.height, c.fixedRows);
        if (c.tallRow >= 0)
            grid->SetRowSize(c.tallRow, 150);
        Geometry g = exactPage(*grid, 100);
        const int top = g.top, x = 4 * g.cw + c.x;
        EXPECT_TRUE(c.fixedRows > 0 || top == 3 * g.ch) << top;
        CPrintInfo info;
        printPage(*grid, g, 1, &info);
        EXPECT_EQ(info.maxPage, c.pages);
        for (const Probe& p : c.probes)
            EXPECT_EQ(printPage(*grid, g, p.page)->GetPixel(x, top + p.y) == BLACK, p.black == 1)
                << "page " << p.page << ", " << p.y;
    }
}

TEST(GridPrint, GridLineModes) {
    for (int mode : {GRIDLINES_NONE, GRIDLINES_HORZ, GRIDLINES_VERT, GRIDLINES_BOTH}) {
        const bool horizontal = mode == GRIDLINES_HORZ || mode == GRIDLINES_BOTH;
        const bool vertical = mode == GRIDLINES_VERT || mode == GRIDLINES_BOTH;
        auto grid = makeGrid(2, 40);
        grid->SetGridLines(mode);
        Geometry g = exactPage(*grid, 100);
        const int top = g.top, left = 4 * g.cw;
        auto page = printPage(*grid, g, 1);
        EXPECT_EQ(page->GetPixel(left + 30, top + 39) == BLACK, horizontal) << mode;
        EXPECT_EQ(page->GetPixel(left + 59, top + 20) == BLACK, vertical) << mode;
    }
}

// A dark desktop's light text on paper: the titles, left unfilled, and the body cells on the
// desktop's background are printed dark on the page's white; a background the program chose
// is printed as it is, with its text.
TEST(GridPrint, TextReadsOnPaperUnderADarkDesktop) {
    const COLORREF light = RGB(230, 230, 230), dark = RGB(40, 40, 40), white = RGB(255, 255, 255);
    SetSysColorOverride(COLOR_WINDOWTEXT, light);
    SetSysColorOverride(COLOR_WINDOW, dark);
    SetSysColorOverride(COLOR_BTNFACE, dark);
    for (bool chosen : {false, true}) {
        SCOPED_TRACE(chosen ? "the program's colours" : "the desktop's colours");
        auto grid = makeGrid(2, 20);
        if (chosen)
            grid->SetCellBackColor(RGB(41, 41, 41));
        const COLORREF body = chosen ? RGB(41, 41, 41) : white;
        Geometry g = exactPage(*grid, 100);
        QImage image(g.W, g.H, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            PrinterSurface page(&painter, g.W, g.H);
            CPrintInfo info;
            grid->PrintBegin(&page, &info);
            grid->PrintPage(&page, &info);
            grid->PrintEnd(&page, &info);
        }
        // The most contrasting pixel inside a cell of the first column, against its background.
        auto textContrast = [&](int top, COLORREF under) {
            double best = 1;
            for (int x = 4 * g.cw + 2; x < 4 * g.cw + 58; ++x)
                for (int y = top + 2; y < top + 18; ++y) {
                    QRgb p = image.pixel(x, y);
                    best =
                        std::max(best, contrast::ratio(RGB(qRed(p), qGreen(p), qBlue(p)), under));
                }
            return best;
        };
        EXPECT_EQ(image.pixel(4 * g.cw + 50, g.top + 15),
                  qRgb(GetRValue(body), GetGValue(body), GetBValue(body)));
        EXPECT_GE(textContrast(3 * g.ch, white), contrast::kReadable); // a title
        EXPECT_GE(textContrast(g.top, body), contrast::kReadable);     // a body cell
    }
    ResetSysColors();
}

TEST(GridPrintPdf, PagesAndTextOfAJob) {
    testsupport::TempDir dir;
    auto grid = makeGrid(120, 20);
    grid->SetPrintAppTitle("FleetScout");
    GridJob job(*grid);
    const std::string pdf = dir.file("grid.pdf");
    std::string error;
    ASSERT_TRUE(PrintToPdf(pdf, job, PageOptions{}, &error)) << error;
    const int pages = testsupport::pdfPages(pdf);
    EXPECT_GT(pages, 1);
    const std::string text = testsupport::pdfText(pdf);
    const std::string n = std::to_string(pages);
    for (const std::string& want :
         {"Page 1 of " + n, "Page " + n + " of " + n, std::string("FleetScout"), std::string("R1 "),
          std::string("R120")})
        EXPECT_NE(text.find(want), std::string::npos) << want << " in " << text;
    std::size_t titles = 0;
    for (std::size_t at = text.find("Title"); at != std::string::npos;
         at = text.find("Title", at + 1))
        ++titles;
    EXPECT_EQ(titles, std::size_t(3 * pages)); // the column titles on every page

    // Landscape paper is wider: the same table needs more pages.
    ASSERT_TRUE(PrintToPdf(pdf, job, PageOptions{.landscape = true}, &error)) << error;
    EXPECT_GT(testsupport::pdfPages(pdf), pages);
}

TEST(GridPrintPdf, PaperAndFailures) {
    testsupport::TempDir dir;
    auto grid = makeGrid(3, 20);
    GridJob job(*grid);
    EXPECT_EQ(
        (std::vector{IsKnownPageSize("Letter"), IsKnownPageSize("a4"), IsKnownPageSize("Napkin")}),
        (std::vector{true, true, false}));
    std::string error;
    EXPECT_FALSE(PrintToPdf(dir.file("n.pdf"), job, PageOptions{.pageSize = "Napkin"}, &error));
    EXPECT_NE(error.find("Napkin"), std::string::npos);
    EXPECT_FALSE(PrintToPdf(dir.file("missing/folder/x.pdf"), job, PageOptions{}, &error));
    EXPECT_FALSE(error.empty());
    ASSERT_TRUE(PrintToPdf(dir.file("l.pdf"), job, PageOptions{.pageSize = "Letter"}, &error))
        << error;
    std::string out;
    testsupport::runCommand("pdfinfo '" + dir.file("l.pdf") + "'", &out);
    EXPECT_NE(out.find("612 x 792"), std::string::npos) << out;
}

TEST(GridPrintPreview, ShowsTheJobsPages) {
    auto grid = makeGrid(60, 20);
    struct CountingJob : GridJob {
        using GridJob::GridJob;
        int pages = 0;
        void OnPrint(CDC* dc, CPrintInfo* info) override {
            ++pages;
            GridJob::OnPrint(dc, info);
        }
    } job(*grid);
    QWidget* shown = nullptr;
    SetPrintPreviewHook([&](QWidget* preview) {
        shown = preview;
        if (const char* png = std::getenv("TNV_PREVIEW_PNG"))
            SavePreviewPicture(preview, png);
    });
    RunPrintPreviewCommand(nullptr, job, "Preview");
    SetPrintPreviewHook(nullptr);
    EXPECT_NE(shown, nullptr);
    EXPECT_GE(job.pages, 1);
}
