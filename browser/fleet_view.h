// The browser's only view: the aircraft table in a read-only grid over the whole client area, with
// the Sort commands and the keyword-list command.
#pragma once

#include "app/grid_view.h"
#include "browser/fleet_table.h"

#include <memory>
#include <string>

namespace tnv {
class CCellGrid;
namespace shell {
class PendingOpen;
}
} // namespace tnv

namespace tnv::fleet {

constexpr UINT IDC_FLEET_GRID = 100;

class CFleetValuerView : public GridView {
public:
    explicit CFleetValuerView(FleetState& state);
    ~CFleetValuerView() override;

    // The framework's initial update: settings, keyword list and scan every time; the grid and
    // the first table only once.
    void OnInitialUpdate();

    // Rebuilds the grid from the aircraft table in the current order and writes the row count
    // to the status bar.
    void RedrawAircraftTable();

    // What the Sort commands do.
    void SetSort(AircraftSortMode sort);

    // Opens the keyword list with the user's program for text files, without waiting for it;
    // tells the user when that cannot be done (a launcher that fails tells it a moment later).
    void ShowKeywordList();

    FleetState& state() { return state_; }

protected:
    void OnSize(UINT type, int cx, int cy) override;
    void OnDestroy() override;
    void OnTimer(UINT id) override;

private:
    CommandTable commandTable();
    // Moves the grid over the whole client area and gives column 5 the width left over.
    void fitGrid();

    FleetState& state_;
    // Known from the first resize after the grid exists; the table is fitted only from then on.
    bool sizeKnown_ = false;
    // The launcher of the keyword list, watched for a while for a failure to start.
    std::unique_ptr<shell::PendingOpen> keywordLaunch_;
    int keywordLaunchTicks_ = 0;
    void tellKeywordListFailure(const std::string& error);
};

} // namespace tnv::fleet
