// The browser's only view: the aircraft table in a read-only grid over the whole client area, with
// the Sort commands and the keyword-list command.
#pragma once

#include "browser/fleet_table.h"
#include "platform/frame.h"
#include "platform/print.h"
#include "platform/wnd.h"

#include <memory>

class CCellGrid;
namespace shell {
class PendingOpen;
}

constexpr UINT IDC_FLEET_GRID = 100;

class CFleetValuerView : public Wnd, public CmdTarget, public PrintJobSteps {
public:
    explicit CFleetValuerView(FleetState& state);
    ~CFleetValuerView() override;

    // Where the status text goes.
    void SetFrame(CFrameWnd* frame) { frame_ = frame; }

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

    CCellGrid* grid() const { return grid_.get(); }
    FleetState& state() { return state_; }

    // CmdTarget: the grid first, then the view's own commands.
    bool OnCmdMsg(UINT id) override;
    bool HasCommand(UINT id) const override;
    bool OnUpdateCmdUI(CmdUI& ui) override;

    // Printing is the grid's: each step of a job is handed to it.
    void OnBeginPrinting(Surface* dc, CPrintInfo* info) override;
    void OnPrint(Surface* dc, CPrintInfo* info) override;
    void OnEndPrinting(Surface* dc, CPrintInfo* info) override;

protected:
    void OnSize(UINT type, int cx, int cy) override;
    void OnDestroy() override;
    void OnTimer(UINT id) override;
    // The grid object the first update makes.
    virtual std::unique_ptr<CCellGrid> MakeGrid();

private:
    // Moves the grid over the whole client area and gives column 5 the width left over.
    void fitGrid();
    // The grid when it has a window and handles commands itself (clipboard, select all).
    CmdTarget* gridTarget() const;

    FleetState& state_;
    std::unique_ptr<CCellGrid> grid_;
    CFrameWnd* frame_ = nullptr;
    // Known from the first resize after the grid exists; the table is fitted only from then on.
    bool sizeKnown_ = false;
    // The launcher of the keyword list, watched for a while for a failure to start.
    std::unique_ptr<shell::PendingOpen> keywordLaunch_;
    int keywordLaunchTicks_ = 0;
    void tellKeywordListFailure(const std::string& error);
};

// The sort a Sort command sets, or -1 for another command.
int SortForCommand(UINT id);
