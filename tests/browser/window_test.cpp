#include "browser/fleet_shell.h"
#include "grid/window/cell_grid.h"
#include "platform/base/msgbox.h"
#include "platform/dialogs/filedialog.h"
#include "platform/print/print.h"
#include "resources/browser/fleet_resources.h"
#include "tests/browser/fleet_fixture.h"
#include "tests/browser/running_fleet.h"
#include "tests/support/looks.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPrinter>
#include <QWidget>

#include <cstring>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

// The table follows the desktop's colours: its titles and prices read on a light and a dark one.
TEST(FleetWindow, TextsReadOnALightAndADarkDesktop) {
    for (bool dark : {false, true}) {
        looks::Scope look(dark);
        Running r;
        ASSERT_TRUE(r.start());
        QImage shot = r.grid().clientWidget()->grab().toImage();
        for (int row : {0, 1})
            for (int col = 0; col < kFleetColumns; ++col) {
                CellBox box;
                ASSERT_TRUE(r.grid().GetCellBox(row, col, &box));
                QRect inside(box.left + 2, box.top + 2, box.right - box.left - 3,
                             box.bottom - box.top - 3);
                COLORREF under =
                    row == 0 ? r.grid().GetFixedBackColor() : r.grid().GetCellBackColor();
                EXPECT_GE(looks::textContrast(shot, inside, under), contrast::kReadable)
                    << (dark ? "dark " : "light ") << row << "," << col;
            }
    }
}

// Every command's state at the start and after a sort by weight with all variations; a sort
// checks itself alone. A keyword list that cannot be opened is told; Exit closes the window.
TEST(FleetWindow, EveryCommandEnablesChecksAndSortsAsItShould) {
    struct Case {
        UINT id;
        bool enabled, checkable, checkedAtStart, checkedLater;
        int col = -1; // sorts: the column whose rows 1 and 8 show the order
        const char *first = nullptr, *last = nullptr;
    };
    std::vector<Case> cases = {
        {ID_VIEW_STATUS_BAR, true, true, true, true},
        {ID_VIEW_ALL_VARIATIONS, true, true, false, true},
        {ID_SORT_BY_RANK, true, true, true, false, kFleetColRank, " C0 ", "C10"},
        {ID_SORT_BY_NAME, true, true, false, false, kFleetColName, "Baron", "Single jet"},
        {ID_SORT_BY_WEIGHT, true, true, false, true, kFleetColName, "Single jet", "Jumbo"},
        {ID_SORT_BY_TYPE, true, true, false, false, kFleetColType, "MEJ", "SET"},
        {ID_SORT_BY_PRICE, true, true, false, false, kFleetColName, "Single jet", "Jumbo"}};
    for (UINT id : {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, ID_FILE_PRINT, ID_FILE_PRINT_DIRECT,
                    ID_FILE_PRINT_PREVIEW, ID_FILE_PRINT_SETUP, ID_APP_EXIT, ID_HELP_KEYWORD_LIST,
                    ID_APP_ABOUT})
        cases.push_back({id, true, false, false, false});
    // Off at the start: the grid's, with nothing picked yet, and the panes'.
    for (UINT id : {ID_EDIT_COPY, ID_EDIT_UNDO, ID_NEXT_PANE, ID_PREV_PANE})
        cases.push_back({id, false, false, false, false});
    Running r;
    ASSERT_TRUE(r.start());
    EXPECT_EQ(r.frame().GetWindowText(), "Tarnavel FleetScout utility");
    EXPECT_EQ(r.frame().GetMessageText(), "8 lines displayed");
    ASSERT_EQ(r.grid().GetNumRows(), 9);
    EXPECT_EQ(r.grid().GetCellText(1, kFleetColRank), " C0 ");
    EXPECT_EQ(r.grid().GetCellText(8, kFleetColRank), "C10");
    EXPECT_FALSE(r.grid().IsEditable());
    EXPECT_TRUE(r.boxes.calls().empty());
    auto expectStates = [&](bool later) {
        for (const Case& c : cases) {
            CCmdUI ui = r.frame().QueryCommand(c.id);
            EXPECT_EQ(ui.enabled(), c.enabled) << c.id;
            EXPECT_EQ(ui.checkChanged(), c.checkable) << c.id;
            EXPECT_EQ(ui.checked(), later ? c.checkedLater : c.checkedAtStart) << c.id;
        }
    };
    expectStates(false);
    for (const Case& sort : cases) {
        if (sort.col < 0)
            continue;
        ASSERT_TRUE(r.frame().SendCommand(sort.id));
        EXPECT_EQ(r.grid().GetCellText(1, sort.col), sort.first) << sort.id;
        EXPECT_EQ(r.grid().GetCellText(8, sort.col), sort.last) << sort.id;
        for (const Case& c : cases)
            EXPECT_EQ(r.frame().QueryCommand(c.id).checked() && c.col >= 0, c.id == sort.id);
        EXPECT_EQ(r.frame().GetMessageText(), "8 lines displayed");
    }
    ASSERT_TRUE(r.frame().SendCommand(ID_SORT_BY_WEIGHT));
    EXPECT_EQ(r.grid().GetCellData(1, kFleetColWeight), 11);
    ASSERT_TRUE(r.frame().SendCommand(ID_VIEW_ALL_VARIATIONS));
    expectStates(true);

    ASSERT_TRUE(r.frame().SendCommand(ID_HELP_KEYWORD_LIST)); // no FleetScout.txt
    ASSERT_EQ(r.boxes.calls().size(), 1u);
    EXPECT_NE(r.boxes.calls()[0].text.find("FleetScout.txt"), std::string::npos);
    EXPECT_NE(r.boxes.calls()[0].flags & MB_ICONERROR, 0u);
    ASSERT_TRUE(r.frame().SendCommand(ID_APP_EXIT));
    EXPECT_TRUE(testsupport::waitUntil([&] { return r.frame().IsClosed(); }));
}

// A sort redraws the whole table on screen: the picture is the one of a window started in that
// order, with no row of the earlier order left anywhere.
TEST(FleetWindow, SortedWindowLooksLikeOneStartedInThatOrder) {
    testsupport::TempDir pictures;
    const std::pair<UINT, AircraftSortMode> sorts[] = {{ID_SORT_BY_NAME, SortByName},
                                                       {ID_SORT_BY_PRICE, SortByPrice},
                                                       {ID_SORT_BY_TYPE, SortByType}};
    for (const auto& [command, sort] : sorts) {
        Running sorted;
        ASSERT_TRUE(sorted.start());
        ASSERT_TRUE(sorted.frame().SendCommand(command));
        QApplication::processEvents();
        std::string afterSort = pictures.path() + "/sorted.png";
        ASSERT_TRUE(sorted.grid().SaveWindowImage(afterSort));

        Running fresh;
        fresh.state.sort = sort;
        ASSERT_TRUE(fresh.start());
        std::string started = pictures.path() + "/started.png";
        ASSERT_TRUE(fresh.grid().SaveWindowImage(started));
        EXPECT_EQ(testsupport::readFile(afterSort), testsupport::readFile(started)) << sort;
    }
}

TEST(FleetWindow, VariationsToggle) {
    Running r([](const FleetSim& sim) {
        addMixedFleet(sim);
        sim.aircraft("i_liveries",
                     aircraftCfgText("Livery one", 1500, 0, 1, "[fltsim.1]\ntitle=Livery two\n"));
    });
    ASSERT_TRUE(r.start());
    std::string first = GridToCsv(r.grid());
    EXPECT_FALSE(r.frame().QueryCommand(ID_VIEW_ALL_VARIATIONS).checked());
    EXPECT_EQ(PromptText(r.frame().resources(), ID_VIEW_ALL_VARIATIONS),
              "Show all aircraft variation");

    ASSERT_TRUE(r.frame().SendCommand(ID_VIEW_ALL_VARIATIONS));
    EXPECT_TRUE(r.frame().QueryCommand(ID_VIEW_ALL_VARIATIONS).checked());
    EXPECT_EQ(r.grid().GetNumRows(), 11);
    EXPECT_EQ(r.frame().GetMessageText(), "10 lines displayed");

    ASSERT_TRUE(r.frame().SendCommand(ID_VIEW_ALL_VARIATIONS));
    EXPECT_EQ(GridToCsv(r.grid()), first);
    EXPECT_EQ(r.frame().GetMessageText(), "9 lines displayed");
}

TEST(FleetWindow, RescanKeepsTheKeywordsOfTheStart) {
    Running r;
    r.sim.keywords("Jumbo;\n");
    ASSERT_TRUE(r.start());
    EXPECT_EQ(r.grid().GetNumRows(), 8);
    r.sim.keywords("Cub;\n"); // edited while the program runs
    ASSERT_TRUE(r.frame().SendCommand(ID_VIEW_ALL_VARIATIONS));
    EXPECT_EQ(r.grid().GetNumRows(), 8);
    EXPECT_EQ(r.frame().GetMessageText(), "7 lines displayed");
}

TEST(FleetWindow, Column5FillsTheWindowFromTheFirstResize) {
    Running r; // not started: its view alone
    CFleetValuerView view(r.state);
    ASSERT_TRUE(view.CreateTopLevel("view", WS_OVERLAPPEDWINDOW, Rect{0, 0, 900, 400}));
    view.OnInitialUpdate();
    CCellGrid& grid = *view.grid();
    auto clientWidth = [&] {
        Rect r;
        view.GetClientRect(&r);
        return r.Width();
    };
    auto firstFive = [&] {
        int sum = 0;
        for (int c = 0; c < 5; ++c)
            sum += grid.GetColSize(c);
        return sum;
    };
    // The first redraw comes before any resize since the grid exists: 250 pixels, and the grid
    // has the rectangle it was created with, the whole client area.
    EXPECT_EQ(grid.GetColSize(kFleetColFolder), 250);
    Rect gridRect;
    grid.GetWindowRect(&gridRect);
    EXPECT_EQ(gridRect.Width(), clientWidth());

    view.ShowWindow(true);
    view.MoveWindow(Rect{0, 0, 1000, 400});
    QApplication::processEvents();
    EXPECT_EQ(grid.GetColSize(kFleetColFolder), clientWidth() - firstFive());
    int wide = grid.GetColSize(kFleetColFolder);
    EXPECT_GT(wide, 250);

    // Narrower than the first five columns: column 5 keeps its width.
    view.MoveWindow(Rect{0, 0, 300, 400});
    QApplication::processEvents();
    EXPECT_LT(clientWidth(), firstFive());
    EXPECT_EQ(grid.GetColSize(kFleetColFolder), wide);
    grid.GetWindowRect(&gridRect);
    EXPECT_EQ(gridRect.Width(), clientWidth());

    // Once a resize has been seen, every redraw fits the table at once.
    view.MoveWindow(Rect{0, 0, 1100, 400});
    QApplication::processEvents();
    view.SetSort(SortByName);
    EXPECT_EQ(grid.GetColSize(kFleetColFolder), clientWidth() - firstFive());
    view.DestroyWindow();
}

TEST(FleetWindow, StatusTextCountsUpTo2019Records) {
    Running r([](const FleetSim& sim) {
        auto liveries = [](int n) {
            std::string s;
            for (int i = 1; i < n; ++i)
                s += "[fltsim." + std::to_string(i) + "]\ntitle=Livery " + std::to_string(i) + "\n";
            return s;
        };
        char name[16];
        for (int f = 0; f <= 101; ++f) {
            std::snprintf(name, sizeof name, "a%03d", f);
            sim.aircraft(name, aircraftCfgText(name, 1500 + f, 0, 1, liveries(f == 0 ? 19 : 20)));
        }
    });
    r.options.allVariations = true;
    r.state.table->showAllVariations = true;
    ASSERT_TRUE(r.start());
    // 19 + 99 * 20 = 1999 records before a100, which still adds its 20; a101 is not read.
    EXPECT_EQ(r.frame().GetMessageText(), "2019 lines displayed");
    EXPECT_EQ(r.grid().GetNumRows(), 2020);
}

TEST(FleetWindow, NewAndOpenReloadButLeaveTheGrid) {
    Running r;
    ASSERT_TRUE(r.start());
    r.sim.aircraft("z_new", aircraftCfgText("Newcomer", 1500, 0, 1));
    r.sim.settings("Dollars", 0);

    EXPECT_TRUE(r.frame().TranslateAccelerator('N', FCONTROL));
    EXPECT_EQ(r.state.table->NbrAircraftCfgFilled, 9); // rescanned
    EXPECT_FALSE(r.state.config.weightsInPounds());    // settings reloaded
    EXPECT_EQ(r.grid().GetNumRows(), 9);               // the grid as it was
    EXPECT_EQ(r.grid().GetCellText(1, kFleetColWeight), "820 lbs");
    EXPECT_EQ(r.frame().GetWindowText(), "Tarnavel FleetScout utility");

    // Open: cancelled does nothing; a file chosen reruns the update.
    r.files.setNextCancel();
    EXPECT_TRUE(r.frame().TranslateAccelerator('O', FCONTROL));
    std::string any = r.sim.dir.file("any.txt");
    testsupport::writeFile(any, "x");
    r.sim.aircraft("z_newer", aircraftCfgText("Newer", 1500, 0, 1));
    r.files.setNextFileName(any);
    EXPECT_TRUE(r.frame().TranslateAccelerator('O', FCONTROL));
    EXPECT_EQ(r.state.table->NbrAircraftCfgFilled, 10);
    EXPECT_EQ(r.grid().GetNumRows(), 9);
    EXPECT_TRUE(r.boxes.calls().empty());

    // Then a redraw shows what was scanned, in the settings read again.
    ASSERT_TRUE(r.frame().SendCommand(ID_SORT_BY_RANK));
    EXPECT_EQ(r.grid().GetNumRows(), 11);
    EXPECT_EQ(r.grid().GetCellText(1, kFleetColWeight), "372 kg");
}

TEST(FleetWindow, SaveAsksForANameAndWritesAnEmptyFile) {
    Running r;
    ASSERT_TRUE(r.start());
    r.files.setNextCancel();
    EXPECT_TRUE(r.frame().TranslateAccelerator('S', FCONTROL));
    ASSERT_EQ(r.files.requests().size(), 1u);
    EXPECT_EQ(r.files.requests()[0].title, "Save As");
    EXPECT_EQ(r.files.savesAsked(), std::vector<bool>{true}) << "a save dialog, not an open one";
    EXPECT_NE(r.files.requests()[0].flags & OFN_OVERWRITEPROMPT, 0u);

    std::string target = r.sim.dir.file("list.fsl");
    testsupport::writeFile(target, "old contents");
    r.files.setNextFileName(target);
    r.boxes.setNextAnswer(IDNO); // do not replace
    EXPECT_TRUE(r.frame().TranslateAccelerator('S', FCONTROL));
    EXPECT_EQ(testsupport::readFile(target), "old contents");

    r.files.setNextFileName(target);
    r.boxes.setNextAnswer(IDYES);
    EXPECT_TRUE(r.frame().TranslateAccelerator('S', FCONTROL));
    EXPECT_TRUE(testsupport::exists(target));
    EXPECT_EQ(testsupport::readFile(target), "");
    EXPECT_EQ(PromptText(r.frame().resources(), ID_FILE_SAVE_AS),
              "Save the active aircraft list new name");

    // A refused write is told, not taken for success.
    std::string elsewhere = r.sim.dir.file("missing-folder/list.fsl");
    r.app->document()->SetPathName("");
    r.files.setNextFileName(elsewhere);
    EXPECT_TRUE(r.frame().TranslateAccelerator('S', FCONTROL));
    EXPECT_FALSE(testsupport::exists(elsewhere));
    ASSERT_FALSE(r.boxes.calls().empty());
    EXPECT_NE(r.boxes.calls().back().flags & MB_ICONERROR, 0u);
}

namespace {

// A desktop launcher of our own first on PATH: it writes what it was handed to `log`, waits
// `seconds`, then ends with `status`.
struct FakeLauncher {
    std::string log, oldPath = std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin";
    FakeLauncher(const testsupport::TempDir& dir, const std::string& seconds, int status)
        : log(dir.file("launched")) {
        std::string bin = dir.mkdir("launcher-bin");
        testsupport::writeFile(bin + "/xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$1\" > '" + log +
                                                      "'\nsleep " + seconds + "\nexit " +
                                                      std::to_string(status) + "\n");
        ::chmod((bin + "/xdg-open").c_str(), 0755);
        ::setenv("PATH", (bin + ":" + oldPath).c_str(), 1);
    }
    ~FakeLauncher() { ::setenv("PATH", oldPath.c_str(), 1); }
};

} // namespace

// The keyword list opens in the user's editor without the window waiting for the launcher; a
// launcher that fails is told when its failure is known.
TEST(FleetWindow, KeywordListOpensWithoutWaitingForTheLauncher) {
    struct Case {
        const char *name, *seconds;
        int status;
        const char* says; // empty: no message
    } cases[] = {{"launcher busy for long", "3", 0, ""},
                 {"launcher done at once", "0", 0, ""},
                 {"no program for text files", "1", 3, "There is no program set to open"},
                 {"program fails to start", "0", 4, "failed to start"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Running r;
        r.sim.keywords("Jumbo;\n");
        ASSERT_TRUE(r.start());
        FakeLauncher launcher(r.sim.dir, c.seconds, c.status);
        QElapsedTimer t;
        t.start();
        ASSERT_TRUE(r.frame().SendCommand(ID_HELP_KEYWORD_LIST));
        EXPECT_LT(t.elapsed(), 500) << "the window waited for the launcher";
        EXPECT_TRUE(r.boxes.calls().empty());
        std::string list = r.sim.base + "/bin/FleetScout.txt";
        EXPECT_TRUE(testsupport::waitUntil(
            [&] { return testsupport::readFile(launcher.log) == list + "\n"; }));
        if (*c.says) {
            ASSERT_TRUE(testsupport::waitUntil([&] { return !r.boxes.calls().empty(); }));
            EXPECT_NE(r.boxes.calls()[0].text.find(c.says), std::string::npos)
                << r.boxes.calls()[0].text;
            EXPECT_NE(r.boxes.calls()[0].text.find("FleetScout.txt"), std::string::npos);
            EXPECT_EQ(r.boxes.calls()[0].flags, MB_OK | MB_ICONERROR);
        } else {
            (void)testsupport::waitUntil([] { return false; }, 1500);
            EXPECT_TRUE(r.boxes.calls().empty());
        }
    }
}

// Printing is the grid's: to a PDF, to a printer's file (whole or told), and as a preview.
TEST(FleetWindow, PrintingToAFileIsWholeOrTold) {
    Running r;
    ASSERT_TRUE(r.start());
    std::string pdf = r.sim.dir.file("fleet.pdf");
    std::string error;
    ASSERT_TRUE(PrintToPdf(pdf, *r.app->view(), PageOptions{}, &error)) << error;
    EXPECT_NE(testsupport::readFile(pdf).find("/Type /Page\n"), std::string::npos);

    std::string target = r.sim.dir.file("full"); // a node of its own, as /dev/full
    ASSERT_EQ(mknod(target.c_str(), S_IFCHR | 0666, makedev(1, 7)), 0) << std::strerror(errno);
    SetPrintDialogHook([&](QPrinter& printer) { // the dialog's "Print to File (PDF)"
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(target));
        return true;
    });
    struct HookOff { // the program's printer keeps its file for later tests otherwise
        PrintJobSteps& steps;
        ~HookOff() {
            SetPrintDialogHook([](QPrinter& printer) {
                printer.setOutputFileName(QString());
                return false;
            });
            RunPrintCommand(nullptr, steps, "");
            SetPrintDialogHook(nullptr);
        }
    } off{*r.app->view()};
    ASSERT_TRUE(r.frame().SendCommand(ID_FILE_PRINT));
    ASSERT_EQ(r.boxes.calls().size(), 1u);
    EXPECT_NE(r.boxes.calls()[0].flags & MB_ICONERROR, 0u);
    EXPECT_NE(r.boxes.calls()[0].text.find("No space left on device"), std::string::npos)
        << r.boxes.calls()[0].text;

    target = r.sim.dir.file("printed.pdf");
    ASSERT_TRUE(r.frame().SendCommand(ID_FILE_PRINT));
    EXPECT_EQ(r.boxes.calls().size(), 1u);
    for (const std::string& file : {pdf, target}) {
        std::string bytes = testsupport::readFile(file);
        EXPECT_EQ(bytes.rfind("%PDF", 0), 0u) << file;
        EXPECT_NE(bytes.find("%%EOF"), std::string::npos) << file;
    }

    // The preview draws its pages without writing the file the printer names.
    std::remove(target.c_str());
    bool previewed = false;
    SetPrintPreviewHook([&](QWidget*) { previewed = true; });
    ASSERT_TRUE(r.frame().SendCommand(ID_FILE_PRINT_PREVIEW));
    SetPrintPreviewHook(nullptr);
    EXPECT_TRUE(previewed);
    EXPECT_FALSE(testsupport::exists(target));
    EXPECT_EQ(r.boxes.calls().size(), 1u);
}
