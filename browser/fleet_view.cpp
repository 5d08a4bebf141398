#include "browser/fleet_view.h"

#include "grid/window/cell_grid.h"
#include "platform/base/fs.h"
#include "platform/base/msgbox.h"
#include "platform/shell/shell.h"
#include "resources/browser/fleet_resources.h"

namespace tnv::fleet {

CFleetValuerView::CFleetValuerView(FleetState& state) : state_(state) {
    SetCommands(commandTable());
}

// Where the keyword launcher's type is known.
CFleetValuerView::~CFleetValuerView() = default;

CommandTable CFleetValuerView::commandTable() {
    auto sort = [this](UINT id, AircraftSortMode mode) {
        return MenuCommand{
            id, [this, mode] { SetSort(mode); }, {}, [this, mode] { return state_.sort == mode; }};
    };
    auto print = [this] { RunPrintCommand(this, *this, kFleetWindowTitle); };
    auto preview = [this] { RunPrintPreviewCommand(this, *this, kFleetWindowTitle); };
    // id, handler, enable rule, check rule
    return {
        sort(ID_SORT_BY_RANK, SortByRank),
        sort(ID_SORT_BY_NAME, SortByName),
        sort(ID_SORT_BY_TYPE, SortByType),
        sort(ID_SORT_BY_WEIGHT, SortByWeight),
        sort(ID_SORT_BY_PRICE, SortByPrice),
        {ID_HELP_KEYWORD_LIST, [this] { ShowKeywordList(); }, {}, {}},
        {ID_FILE_PRINT, print, {}, {}},
        {ID_FILE_PRINT_DIRECT, print, {}, {}},
        {ID_FILE_PRINT_PREVIEW, preview, {}, {}},
    };
}

void CFleetValuerView::OnDestroy() {
    keywordLaunch_.reset();
    grid_.reset();
    CWnd::OnDestroy();
}

void CFleetValuerView::OnInitialUpdate() {
    LoadFleet(state_);
    TraceLine("OnInitialUpdate attempt to create the grid");
    if (grid_)
        return; // a later update rescans but leaves the table on screen as it is
    if (!CreateGridWindow(IDC_FLEET_GRID))
        return;
    grid_->AllowEditing(false);
    grid_->SetPrintAppTitle(kFleetAppTitle);
    grid_->SetAccessibleNames("Aircraft prices", {});
    TraceLine("OnInitialUpdate grid created attempt to redraw");
    RedrawAircraftTable();
    TraceLine("OnInitialUpdate redraw ok");
}

void CFleetValuerView::RedrawAircraftTable() {
    if (!grid_)
        return;
    FillAircraftGrid(*grid_, state_);
    // One repaint of the whole window on the next paint: repainting column by column walks
    // every row, off screen too, and the new row count has invalidated the window anyway.
    grid_->Invalidate(true);
    if (grid_->hasWindow() && sizeKnown_)
        fitGrid();
    if (frame_)
        frame_->SetMessageText(LinesDisplayedText(state_.table->NbrAircraftCfgFilled));
    TraceLine("RedrawAircraftTable OK");
}

void CFleetValuerView::fitGrid() {
    Rect client;
    GetClientRect(&client);
    grid_->MoveWindow(client, true);
    int rest = client.Width() - grid_->GetColSize(kFleetColType) -
               grid_->GetColSize(kFleetColWeight) - grid_->GetColSize(kFleetColRank) -
               grid_->GetColSize(kFleetColName) - grid_->GetColSize(kFleetColPrice);
    grid_->SetColSize(kFleetColFolder, rest); // refused when negative: the width stays
}

void CFleetValuerView::OnSize(UINT type, int cx, int cy) {
    CWnd::OnSize(type, cx, cy);
    if (grid_ && grid_->hasWindow()) {
        sizeKnown_ = true;
        fitGrid();
    }
}

void CFleetValuerView::SetSort(AircraftSortMode sort) {
    state_.sort = sort;
    RedrawAircraftTable();
}

namespace {

constexpr UINT kKeywordLaunchTimer = 2;
constexpr UINT kKeywordLaunchPeriod = 100; // ms
// A launcher still running after this many periods has started the editor; a later exit status
// is the editor's own.
constexpr int kKeywordLaunchWatch = 100;

} // namespace

void CFleetValuerView::ShowKeywordList() {
    std::string path = fsx::resolvePath(state_.config.MakeBasePath("/bin/FleetScout.txt"));
    std::string error;
    std::unique_ptr<shell::PendingOpen> pending;
    if (!shell::StartOpenDocument(path, &error, &pending)) {
        tellKeywordListFailure(error);
        return;
    }
    keywordLaunch_ = std::move(pending);
    keywordLaunchTicks_ = 0;
    if (!hasWindow() || !SetTimer(kKeywordLaunchTimer, kKeywordLaunchPeriod))
        keywordLaunch_.reset(); // nobody to watch it: it runs on unobserved
}

void CFleetValuerView::tellKeywordListFailure(const std::string& error) {
    std::string path = fsx::resolvePath(state_.config.MakeBasePath("/bin/FleetScout.txt"));
    MessageBox("The list of AI aircraft keywords cannot be opened for editing.\n" +
                   fsx::fromDisk(path) + "\n" + error,
               kFleetAppTitle, MB_OK | MB_ICONERROR);
}

void CFleetValuerView::OnTimer(UINT id) {
    if (id != kKeywordLaunchTimer) {
        CWnd::OnTimer(id);
        return;
    }
    std::string error;
    std::optional<bool> verdict =
        keywordLaunch_ ? keywordLaunch_->check(&error) : std::optional<bool>(true);
    if (!verdict && ++keywordLaunchTicks_ < kKeywordLaunchWatch)
        return;
    KillTimer(kKeywordLaunchTimer);
    keywordLaunch_.reset();
    if (verdict && !*verdict)
        tellKeywordListFailure(error);
}

} // namespace tnv::fleet
