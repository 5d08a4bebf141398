#include "browser/fleet_table.h"
#include "browser/pricing.h"
#include "grid/core/grid_core.h"
#include "tests/browser/fleet_fixture.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

using Texts = std::vector<std::string>;

Texts column(CellGridCore& grid, int col) {
    Texts out;
    for (int row = 1; row < grid.GetNumRows(); ++row)
        out.push_back(grid.GetCellText(row, col));
    return out;
}

std::vector<LPARAM> dataColumn(CellGridCore& grid, int col) {
    std::vector<LPARAM> out;
    for (int row = 1; row < grid.GetNumRows(); ++row)
        out.push_back(grid.GetCellData(row, col));
    return out;
}

struct Loaded {
    FleetSim sim;
    FleetState state;
    CellGridCore grid;
    explicit Loaded(void (*setUp)(const FleetSim&) = addMixedFleet) {
        setUp(sim);
        state.programPath = sim.programPath();
    }
    void load(AircraftSortMode sort = SortByRank) {
        state.sort = sort;
        LoadFleet(state);
        grid.AllowEditing(FALSE);
        FillAircraftGrid(grid, state);
    }
};

} // namespace

// The columns and a row of each, in rank order at the start and then in each sort order.
TEST(FleetTable, ColumnsCellsAndSortOrders) {
    Loaded t;
    t.load();
    EXPECT_EQ(column(t.grid, kFleetColRank),
              (Texts{" C0 ", " C3 ", " C3 ", " C4 ", " C4 ", " C6 ", " C6 ", "C10"}));
    EXPECT_EQ(t.grid.GetCellText(1, kFleetColName), "Cub");
    EXPECT_EQ(t.grid.GetCellText(8, kFleetColName), "Jumbo");

    t.load(SortByName); // plain byte order
    EXPECT_EQ(column(t.grid, kFleetColName), (Texts{"Baron", "Big Cub", "Bizjet", "Caravan", "Cub",
                                                    "Jumbo", "King Air", "Single jet"}));
    ASSERT_EQ(t.grid.GetNumCols(), 6);
    ASSERT_EQ(t.grid.GetNumRows(), 9);
    EXPECT_EQ(t.grid.GetNumFixedRows(), 1);
    EXPECT_EQ(t.grid.GetNumFixedCols(), 0);
    const char* headers[] = {"Rank",         "Aircraft Name",  "Type",
                             "Empty Weight", "Aircraft Price", "Fs2004 Aircraft Folder"};
    const int widths[] = {40, 250, 40, 100, 100, 250};
    for (int c = 0; c < 6; ++c) {
        EXPECT_EQ(t.grid.GetCellText(0, c), headers[c]);
        EXPECT_EQ(t.grid.GetColSize(c), widths[c]);
    }
    EXPECT_FALSE(t.grid.IsSelectionEnabled());
    EXPECT_FALSE(t.grid.GetSingleRowSelection());
    EXPECT_FALSE(t.grid.IsEditable());
    // Row of "Baron": a twin piston of 3380 lb.
    EXPECT_EQ(t.grid.GetCellText(1, kFleetColRank), " C3 ");
    EXPECT_EQ(t.grid.GetCellFormat(1, kFleetColRank), DT_CENTER);
    EXPECT_EQ(t.grid.GetCellFormat(1, kFleetColName), 0u);
    EXPECT_EQ(t.grid.GetCellText(1, kFleetColType), "MEP");
    EXPECT_EQ(t.grid.GetCellText(1, kFleetColWeight), "3380 lbs");
    EXPECT_EQ(t.grid.GetCellData(1, kFleetColWeight), 3380);
    EXPECT_EQ(t.grid.GetCellText(1, kFleetColPrice), "$843,228");
    EXPECT_EQ(t.grid.GetCellData(1, kFleetColPrice), 843228);
    EXPECT_EQ(t.grid.GetCellText(1, kFleetColFolder), "b_twin");
    EXPECT_EQ(t.grid.GetCellData(1, kFleetColName), 0);

    t.load(SortByType);
    EXPECT_EQ(column(t.grid, kFleetColType),
              (Texts{"MEJ", "MEJ", "MEP", "MET", "SEJ", "SEP", "SEP", "SET"}));
    // By weight on the data word: 9,999 lb before 10,000 lb, which a text sort would reverse.
    t.load(SortByWeight);
    EXPECT_EQ(dataColumn(t.grid, kFleetColWeight),
              (std::vector<LPARAM>{11, 820, 3310, 3380, 4575, 9999, 10000, 398000}));
    EXPECT_EQ(t.grid.GetCellText(6, kFleetColWeight), "9999 lbs");
    EXPECT_EQ(t.grid.GetCellText(7, kFleetColWeight), "10000 lbs");

    t.load(SortByPrice);
    auto prices = dataColumn(t.grid, kFleetColPrice);
    EXPECT_TRUE(std::is_sorted(prices.begin(), prices.end()));
    EXPECT_EQ(t.grid.GetCellText(8, kFleetColName), "Jumbo");
}

// Weights in kilograms: rounded in the text, cut in the data word. Prices in a currency whose
// sign comes after the amount with a blank separator, whose texts would sort by their first
// digits: the data words keep the dollar order.
TEST(FleetTable, KilogramsAndOtherCurrencies) {
    Loaded t;
    t.sim.settings("Dollars", 0);
    t.load(SortByWeight);
    EXPECT_EQ(t.grid.GetCellText(1, kFleetColName), "Single jet");
    EXPECT_EQ(t.grid.GetCellText(1, kFleetColWeight), "5 kg"); // 4.99 kg
    EXPECT_EQ(t.grid.GetCellData(1, kFleetColWeight), 4);
    EXPECT_EQ(t.grid.GetCellText(8, kFleetColWeight), "180530 kg");

    t.sim.currencies("Currencyname=Krone\nCurrencySign= kr\nCurrencySignInFront=FALSE\n"
                     "CurrencySeparator= \nCurrencyExchangeWithDollars=0.5\n");
    t.sim.settings("krone", 1);
    t.load(SortByPrice);
    auto prices = dataColumn(t.grid, kFleetColPrice);
    EXPECT_TRUE(std::is_sorted(prices.begin(), prices.end()));
    EXPECT_EQ(t.grid.GetCellText(1, kFleetColName), "Single jet");
    EXPECT_EQ(t.grid.GetCellText(1, kFleetColPrice), "12 548 kr"); // 6274 dollars at 0.5
    EXPECT_EQ(t.grid.GetCellData(1, kFleetColPrice), 6274);
}

TEST(FleetTable, EmptyAndFullTables) {
    Loaded empty([](const FleetSim&) {});
    empty.load();
    EXPECT_EQ(empty.grid.GetNumRows(), 1); // the header alone
    EXPECT_EQ(GridToCsv(empty.grid), kCsvHeader);
    EXPECT_EQ(LinesDisplayedText(0), "0 lines displayed");

    FleetState full;
    full.table->NbrAircraftCfgFilled = 2019;
    for (int k = 0; k < 2019; ++k) {
        AircraftRecord& r = full.table->records[static_cast<std::size_t>(k)];
        std::snprintf(r.title, sizeof r.title, "Aircraft %d", k);
        std::snprintf(r.folder, sizeof r.folder, "f%d", k);
        r.emptyWeightLbs = 1000 + (k * 7919) % 100000;
        r.engineType = k % 3 == 0 ? kEngineJet : kEnginePiston;
        r.engineCount = 1 + k % 4;
    }
    CellGridCore grid;
    FillAircraftGrid(grid, full);
    EXPECT_EQ(grid.GetNumRows(), 2020);
    EXPECT_EQ(LinesDisplayedText(2019), "2019 lines displayed");
    auto ranks = column(grid, kFleetColRank);
    EXPECT_TRUE(std::is_sorted(ranks.begin(), ranks.end()));
}

TEST(FleetTable, CsvQuotesOnlyWhatNeedsIt) {
    Loaded t([](const FleetSim& sim) {
        sim.aircraft("comma, folder", aircraftCfgText("Say \"hi\", \xE9t\xE9", 1500, 0, 1));
    });
    t.load();
    EXPECT_EQ(
        GridToCsv(t.grid),
        std::string(kCsvHeader) +
            " C0 ,\"Say \"\"hi\"\", \xE9t\xE9\",SEP,1500 lbs,\"$221,126\",\"comma, folder\"\n");
}
