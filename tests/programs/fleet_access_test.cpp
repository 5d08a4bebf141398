// FleetValuer's price table read by a screen reader: the title row as column headers, the
// aircraft as rows, read-only cells, and a re-sorted table read anew.
#include "access_support.h"
#include "resources/browser/fleet_resources.h"
#include "tests/browser/running_fleet.h"

#include <QAccessible>
#include <QApplication>

using namespace tnv::fleet;

namespace {

using accesstest::columnTexts;
using accesstest::Listener;
using accesstest::name;
using Texts = std::vector<std::string>;

// The program started from the add-on's bin folder of a simulator with a few aircraft, one of
// them with an 8-bit title.
struct FleetAccess : ::testing::Test {
    Running r{[](const FleetSim& sim) {
        sim.aircraft("a_cub", aircraftCfgText("Cub", 820, 0, 1));
        sim.aircraft("b_twin", aircraftCfgText("Baron", 3380, 0, 2));
        sim.aircraft("c_jumbo", aircraftCfgText("Jumbo \xE9t\xE9", 398000, 1, 4));
    }};

    void SetUp() override { ASSERT_TRUE(r.start()); }
    CMainFrame& frame() { return r.frame(); }
    CCellGrid& grid() { return r.grid(); }
    QAccessibleInterface* table() { return accesstest::tableOf(grid()); }
};

TEST_F(FleetAccess, TheTableReadsTheAircraftUnderTheirColumnTitles) {
    ASSERT_NE(table(), nullptr);
    EXPECT_EQ(name(table()), "Aircraft prices");
    QAccessibleTableInterface* cells = table()->tableInterface();
    ASSERT_NE(cells, nullptr);
    EXPECT_EQ(cells->rowCount(), 3);
    EXPECT_EQ(cells->columnCount(), kFleetColumns);
    EXPECT_EQ(cells->columnDescription(kFleetColName).toStdString(), "Aircraft Name");
    EXPECT_EQ(cells->columnDescription(kFleetColPrice).toStdString(), "Aircraft Price");
    EXPECT_EQ(cells->rowDescription(0).toStdString(), "");

    // Whatever the order, the reader gets the grid's texts, the 8-bit title as Unicode.
    Texts names = columnTexts(cells, kFleetColName), expected;
    for (int r = 1; r < grid().GetNumRows(); ++r) {
        std::string text = grid().GetCellText(r, kFleetColName);
        expected.push_back(text == "Jumbo \xE9t\xE9" ? "Jumbo \u00e9t\u00e9" : text);
    }
    EXPECT_EQ(names, expected);
    EXPECT_NE(std::find(names.begin(), names.end(), "Jumbo \u00e9t\u00e9"), names.end());
    EXPECT_EQ(name(cells->cellAt(0, kFleetColWeight)), grid().GetCellText(1, kFleetColWeight));

    QAccessibleInterface* cell = cells->cellAt(2, kFleetColType);
    ASSERT_NE(cell->tableCellInterface(), nullptr);
    QList<QAccessibleInterface*> heads = cell->tableCellInterface()->columnHeaderCells();
    ASSERT_EQ(heads.size(), 1);
    EXPECT_EQ(name(heads[0]), "Type");
    EXPECT_EQ(heads[0]->role(), QAccessible::ColumnHeader);
    EXPECT_TRUE(cell->tableCellInterface()->rowHeaderCells().isEmpty());
    // The browser shows prices; nothing in it can be edited.
    EXPECT_TRUE(cell->state().readOnly);
    EXPECT_FALSE(cell->state().editable);
    // The title row comes first among the children.
    EXPECT_EQ(table()->childCount(), 4 * kFleetColumns);
    EXPECT_EQ(name(table()->child(kFleetColRank)), "Rank");
}

// Menu items are named without their keys and bind them; a sort is heard and read anew.
TEST_F(FleetAccess, MenuItemsAndASortAsHeard) {
    auto* window = static_cast<QMainWindow*>(frame().nativeWindow());
    std::vector<accesstest::ItemHeard> heard = accesstest::menuItemsHeard(window);
    EXPECT_EQ(heard, accesstest::menuItemsMeant(FleetFrameResources()));
    EXPECT_EQ(heard.front(), (accesstest::ItemHeard{"Print...", "Ctrl+P"}));
    Listener listener;
    QAccessibleTableInterface* cells = table()->tableInterface();
    QAccessibleInterface* first = cells->cellAt(0, kFleetColName);
    ASSERT_TRUE(frame().SendCommand(ID_SORT_BY_NAME));
    EXPECT_GE(Listener::count(QAccessible::TableModelChanged), 1);
    EXPECT_EQ(columnTexts(cells, kFleetColName), (Texts{"Baron", "Cub", "Jumbo \u00e9t\u00e9"}));
    EXPECT_EQ(name(first), "Baron");
    ASSERT_TRUE(frame().SendCommand(ID_SORT_BY_PRICE));
    EXPECT_EQ(name(first), grid().GetCellText(1, kFleetColName));
}

} // namespace
