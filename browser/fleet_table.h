// The browser's table: everything the program knows in one process-wide state, the start-up
// loading, and the six columns written into a grid. None of it needs a window, so the table can
// be exported from the command line exactly as the window shows it.
#pragma once

#include "browser/aircraft_scan.h"
#include "browser/config.h"
#include "finder/finder.h"
#include "platform/base/types.h"

#include <memory>
#include <string>
#include <vector>

namespace tnv {
class CellGridCore;
} // namespace tnv

namespace tnv::fleet {

enum AircraftSortMode {
    SortByRank = 0,
    SortByName = 1,
    SortByType = 2,
    SortByWeight = 3,
    SortByPrice = 4,
};

constexpr int kFleetColumns = 6;
constexpr int kFleetColRank = 0;
constexpr int kFleetColName = 1;
constexpr int kFleetColType = 2;
constexpr int kFleetColWeight = 3;
constexpr int kFleetColPrice = 4;
constexpr int kFleetColFolder = 5;

struct FleetState {
    // Where the program was started from (8-bit), and the add-on's folder when named directly.
    std::string programPath;
    std::string baseOverride;
    BrowserConfig config;
    ExcludeKeywords keywords;
    std::unique_ptr<AircraftTable> table = std::make_unique<AircraftTable>();
    AircraftSortMode sort = SortByRank;
};

// The one state of the running program.
FleetState& TheFleet();

// The add-on's folder: named directly, or from the program's path.
void FindBaseFolder(FleetState& state);

// Why there is no fleet to show: the add-on's folder has no Aircraft folder beside it (letter
// case aside). Empty when it has one. The modes without a window end with this reason.
std::string MissingAircraftFolder(const FleetState& state);

// Which simulator's fleet to show when the program lies in no simulator and no --base was given:
// one of the finder's candidates with the add-on.
struct SimulatorChoice {
    enum Outcome { Settled, Several, None };
    Outcome outcome = Settled;
    std::vector<std::string> simulators; // Several: the folders to choose from (disk paths)
    std::string kept;                    // Several: the choice kept from before, or empty
    finder::Environment env;             // where the choice is kept
};

// Settled when the program lies in a simulator, --base was given, or exactly one simulator has
// the add-on (the state then shows that one). Searches only outside a simulator.
SimulatorChoice ChooseSimulator(FleetState& state, const finder::Options& options);

// Shows the fleet of `simulator` (a disk path): its add-on's folder becomes the base.
void UseSimulator(FleetState& state, const std::string& simulator);

// What every mode without a window does first: settles the simulator (among several, the kept
// choice) and checks that it has aircraft. 0 when the fleet can be shown; else the reason is on
// stderr and the result is the exit status, 1.
int SettleFleetWithoutWindow(FleetState& state, const finder::Options& options = {});

// Base folder, settings, keyword list and the aircraft scan, as at start-up.
void LoadFleet(FleetState& state);

// Rescans the aircraft folder with the current variations switch.
void RescanAircraft(FleetState& state);

// Signed order of two data words, for the weight and price sorts.
int CompareDataWords(LPARAM a, LPARAM b, LPARAM user);

// Rebuilds the grid's rows from the aircraft table and puts them in the state's order. Sizing
// the grid to its window and the status text are left to the view.
void FillAircraftGrid(CellGridCore& grid, const FleetState& state);

// The grid's rows as displayed, header first, as CSV: a field holding a comma, a quote or a line
// end is quoted with its quotes doubled; lines end in LF; bytes pass unchanged, or with `utf8`
// the texts become UTF-8 and the folders' names are written as the disk has them.
std::string GridToCsv(CellGridCore& grid, bool utf8 = false);

// The status text for a table of `count` rows.
std::string LinesDisplayedText(int count);

} // namespace tnv::fleet
