#include "browser/fleet_table.h"

#include "browser/pricing.h"
#include "grid/core/grid_core.h"
#include "platform/base/codepage.h"
#include "platform/base/fs.h"

#include <cstdio>

namespace tnv::fleet {

namespace {

void setFormat(CellGridCore& grid, int row, int col, UINT format) {
    GRIDCELLINFO info;
    info.row = row;
    info.col = col;
    info.mask = GCIF_FORMAT;
    info.format = format;
    grid.SetCellInfo(&info);
}

void setData(CellGridCore& grid, int row, int col, LPARAM data) {
    GRIDCELLINFO info;
    info.row = row;
    info.col = col;
    info.mask = GCIF_DATA;
    info.data = data;
    grid.SetCellInfo(&info);
}

std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + "\"";
}

// The add-on's folder in a simulator (disk paths), found letter case aside.
std::string addonFolder(const std::string& simulator) {
    return fsx::resolvePath(fsx::fromDisk(simulator) + "/Tarnavel");
}

} // namespace

FleetState& TheFleet() {
    static FleetState state;
    return state;
}

void FindBaseFolder(FleetState& state) {
    if (!state.baseOverride.empty())
        state.config.SetBaseFolder(state.baseOverride);
    else
        state.config.SetBaseFromProgramPath(state.programPath);
}

std::string MissingAircraftFolder(const FleetState& state) {
    std::string aircraft = AircraftFolder(state.config);
    if (fsx::isDirectory(fsx::resolvePath(aircraft)))
        return {};
    return "no aircraft folder at " + fsx::toDisk(aircraft) +
           " (start the program from the add-on's bin folder, or name the add-on's folder with "
           "--base)";
}

SimulatorChoice ChooseSimulator(FleetState& state, const finder::Options& options) {
    FindBaseFolder(state);
    SimulatorChoice choice;
    choice.env = options.env;
    if (!state.baseOverride.empty() || MissingAircraftFolder(state).empty())
        return choice;
    finder::AddonSimulators found = finder::SimulatorsWithAddon(options);
    if (found.folders.size() == 1) {
        UseSimulator(state, found.folders.front());
        return choice;
    }
    choice.outcome = found.folders.empty() ? SimulatorChoice::None : SimulatorChoice::Several;
    choice.simulators = std::move(found.folders);
    choice.kept = std::move(found.kept);
    return choice;
}

void UseSimulator(FleetState& state, const std::string& simulator) {
    state.baseOverride = fsx::fromDisk(addonFolder(simulator));
    FindBaseFolder(state);
}

int SettleFleetWithoutWindow(FleetState& state, const finder::Options& options) {
    SimulatorChoice choice = ChooseSimulator(state, options);
    if (choice.outcome == SimulatorChoice::None) {
        std::fputs("FleetValuer: no simulator with the Tarnavel add-on was found "
                   "(tarnavel-setup --list shows the simulators found, tarnavel-setup SIMFOLDER "
                   "sets one up; --base names the add-on's folder)\n",
                   stderr);
        return 1;
    }
    if (choice.outcome == SimulatorChoice::Several) {
        if (choice.kept.empty()) {
            std::fputs("FleetValuer: several simulators have the Tarnavel add-on; choose one in "
                       "the window, or name its add-on's folder with --base:\n",
                       stderr);
            for (const std::string& folder : choice.simulators)
                std::fprintf(stderr, "  %s\n", addonFolder(folder).c_str());
            return 1;
        }
        UseSimulator(state, choice.kept);
    }
    std::string missing = MissingAircraftFolder(state);
    if (missing.empty())
        return 0;
    std::fprintf(stderr, "FleetValuer: %s\n", missing.c_str());
    return 1;
}

void LoadFleet(FleetState& state) {
    FindBaseFolder(state);
    TraceLine("OnInitialUpdate");
    TraceLine("OnInitialUpdate base dir->");
    TraceLine(state.config.baseFolder());
    state.config.LoadOptions();
    TraceLine("OnInitialUpdate load option OK");
    state.keywords.LoadExcludeKeywords(state.config);
    TraceLine("OnInitialUpdate load exclude keyword OK");
    TraceLine("OnInitialUpdate aircraft dir->");
    TraceLine(AircraftFolder(state.config));
    GrabDataFromAircraftCfg(AircraftFolder(state.config), *state.table, state.keywords);
}

void RescanAircraft(FleetState& state) {
    GrabDataFromAircraftCfg(AircraftFolder(state.config), *state.table, state.keywords);
}

int CompareDataWords(LPARAM a, LPARAM b, LPARAM /*user*/) {
    if (a > b)
        return 1;
    if (a < b)
        return -1;
    return 0;
}

void FillAircraftGrid(CellGridCore& grid, const FleetState& state) {
    TraceLine("RedrawAircraftTable start");
    const AircraftTable& table = *state.table;
    const CurrencyEntry& currency = state.config.activeCurrency();
    const bool pounds = state.config.weightsInPounds();
    const int count = table.NbrAircraftCfgFilled;

    grid.ClearGrid();
    grid.SetNumCols(kFleetColumns);
    grid.SetNumFixedRows(1);
    grid.ClearSelection();
    grid.EnableSelection(false);
    grid.ClearSelection();
    grid.SetSingleRowSelection(false);
    grid.SetNumFixedCols(0);
    grid.SetNumRows(count + 1);

    grid.SetColSize(kFleetColName, 250);
    grid.SetColSize(kFleetColPrice, 100);
    grid.SetColSize(kFleetColRank, 40);
    grid.SetColSize(kFleetColWeight, 100);
    grid.SetColSize(kFleetColType, 40);
    grid.SetColSize(kFleetColFolder, 250);

    grid.SetCellText(0, kFleetColName, "Aircraft Name");
    grid.SetCellText(0, kFleetColPrice, "Aircraft Price");
    grid.SetCellText(0, kFleetColRank, "Rank");
    grid.SetCellText(0, kFleetColWeight, "Empty Weight");
    grid.SetCellText(0, kFleetColType, "Type");
    grid.SetCellText(0, kFleetColFolder, "Fs2004 Aircraft Folder");
    TraceLine("RedrawAircraftTable column created");

    for (int k = 0; k < count; ++k) {
        const AircraftRecord& r = table[k];
        const int row = k + 1;
        const std::int32_t price = ComputePrice(r);
        grid.SetCellText(row, kFleetColName, r.title);
        grid.SetCellText(row, kFleetColPrice, FormatMoney(price, currency));
        grid.SetCellText(row, kFleetColRank,
                         RankText(r.emptyWeightLbs, r.engineCount, r.engineType));
        grid.SetCellText(row, kFleetColWeight, WeightText(r.emptyWeightLbs, pounds));
        grid.SetCellText(row, kFleetColType, EngineClassText(r.engineCount, r.engineType));
        grid.SetCellText(row, kFleetColFolder, r.folder);
        setFormat(grid, row, kFleetColRank, DT_CENTER);
        setData(grid, row, kFleetColPrice, price);
        setData(grid, row, kFleetColWeight, WeightDataWord(r.emptyWeightLbs, pounds));
    }

    TraceLine("RedrawAircraftTable attempt to sort");
    switch (state.sort) {
    case SortByRank:
        grid.SortRowsByText(kFleetColRank, true);
        break;
    case SortByName:
        grid.SortRowsByText(kFleetColName, true);
        break;
    case SortByType:
        grid.SortRowsByText(kFleetColType, true);
        break;
    case SortByWeight:
        grid.SortRowsByData(CompareDataWords, kFleetColWeight, true, 0);
        break;
    case SortByPrice:
        grid.SortRowsByData(CompareDataWords, kFleetColPrice, true, 0);
        break;
    }
}

std::string GridToCsv(CellGridCore& grid, bool utf8) {
    std::string out;
    for (int row = 0; row < grid.GetNumRows(); ++row) {
        for (int col = 0; col < grid.GetNumCols(); ++col) {
            if (col > 0)
                out += ',';
            std::string text = grid.GetCellText(row, col);
            if (utf8)
                text = row > 0 && col == kFleetColFolder ? fsx::toDisk(text) : cp1252::toUtf8(text);
            out += csvField(text);
        }
        out += '\n';
    }
    return out;
}

std::string LinesDisplayedText(int count) {
    return std::to_string(count) + " lines displayed";
}

} // namespace tnv::fleet
