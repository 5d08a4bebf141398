#include "browser/fleet_view.h"

#include "grid/cell_grid.h"
#include "platform/fs.h"
#include "platform/msgbox.h"
#include "platform/shell.h"
#include "resources/browser/fleet_resources.h"

int SortForCommand(UINT id) {
    switch (id) {
    case ID_SORT_BY_RANK:
        return SortByRank;
    case ID_SORT_BY_NAME:
        return SortByName;
    case ID_SORT_BY_TYPE:
        return SortByType;
    case ID_SORT_BY_WEIGHT:
        return SortByWeight;
    case ID_SORT_BY_PRICE:
        return SortByPrice;
    default:
        return -1;
    }
}

CFleetValuerView::CFleetValuerView(FleetState& state) : state_(state) {}

CFleetValuerView::~CFleetValuerView() {
    // The grid's window is a child of ours: it goes first.
    grid_.reset();
}

void CFleetValuerView::OnDestroy() {
    keywordLaunch_.reset();
    grid_.reset();
    Wnd::OnDestroy();
}

void CFleetValuerView::OnInitialUpdate() {
    LoadFleet(state_);
    TraceLine("OnInitialUpdate attempt to create the grid");
    if (grid_)
        return; // a later update rescans but leaves the table on screen as it is
    grid_ = MakeGrid();
    if (!grid_)
        return;
    Rect client;
    GetClientRect(&client);
    if (hasWindow() && !grid_->CreateGrid(client, this, IDC_FLEET_GRID,
                                          WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP)) {
        grid_.reset();
        return;
    }
    grid_->AllowEditing(FALSE);
    grid_->SetPrintAppTitle(kFleetAppTitle);
    TraceLine("OnInitialUpdate grid created attempt to redraw");
    RedrawAircraftTable();
    TraceLine("OnInitialUpdate redraw ok");
}

void CFleetValuerView::RedrawAircraftTable() {
    if (!grid_)
        return;
    FillAircraftGrid(*grid_, state_);
    if (grid_->hasWindow() && sizeKnown_)
        fitGrid();
    if (frame_)
        frame_->SetMessageText(LinesDisplayedText(state_.table->NbrAircraftCfgFilled));
    TraceLine("RedrawAircraftTable OK");
}

void CFleetValuerView::fitGrid() {
    Rect client;
    GetClientRect(&client);
    grid_->MoveWindow(client, TRUE);
    int rest = client.Width() - grid_->GetColSize(kFleetColType) -
               grid_->GetColSize(kFleetColWeight) - grid_->GetColSize(kFleetColRank) -
               grid_->GetColSize(kFleetColName) - grid_->GetColSize(kFleetColPrice);
    grid_->SetColSize(kFleetColFolder, rest); // refused when negative: the width stays
}

void CFleetValuerView::OnSize(UINT type, int cx, int cy) {
    Wnd::OnSize(type, cx, cy);
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
        Wnd::OnTimer(id);
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

std::unique_ptr<CCellGrid> CFleetValuerView::MakeGrid() {
    return std::make_unique<CCellGrid>(0, 0, 0, 0);
}

CmdTarget* CFleetValuerView::gridTarget() const {
    if (!grid_ || !grid_->hasWindow())
        return nullptr;
    return dynamic_cast<CmdTarget*>(grid_.get());
}

bool CFleetValuerView::HasCommand(UINT id) const {
    if (CmdTarget* grid = gridTarget(); grid && grid->HasCommand(id))
        return true;
    return SortForCommand(id) >= 0 || id == ID_HELP_KEYWORD_LIST || id == ID_FILE_PRINT ||
           id == ID_FILE_PRINT_DIRECT || id == ID_FILE_PRINT_PREVIEW;
}

void CFleetValuerView::OnBeginPrinting(Surface* dc, CPrintInfo* info) {
    if (grid_)
        grid_->PrintBegin(dc, info);
}

void CFleetValuerView::OnPrint(Surface* dc, CPrintInfo* info) {
    if (grid_)
        grid_->PrintPage(dc, info);
}

void CFleetValuerView::OnEndPrinting(Surface* dc, CPrintInfo* info) {
    if (grid_)
        grid_->PrintEnd(dc, info);
}

bool CFleetValuerView::OnCmdMsg(UINT id) {
    if (CmdTarget* grid = gridTarget(); grid && grid->OnCmdMsg(id))
        return true;
    int sort = SortForCommand(id);
    if (sort >= 0) {
        SetSort(static_cast<AircraftSortMode>(sort));
        return true;
    }
    switch (id) {
    case ID_HELP_KEYWORD_LIST:
        ShowKeywordList();
        return true;
    case ID_FILE_PRINT:
    case ID_FILE_PRINT_DIRECT:
        RunPrintCommand(this, *this, kFleetWindowTitle);
        return true;
    case ID_FILE_PRINT_PREVIEW:
        RunPrintPreviewCommand(this, *this, kFleetWindowTitle);
        return true;
    default:
        return false;
    }
}

bool CFleetValuerView::OnUpdateCmdUI(CmdUI& ui) {
    if (CmdTarget* grid = gridTarget(); grid && grid->OnUpdateCmdUI(ui))
        return true;
    int sort = SortForCommand(ui.id());
    if (sort < 0)
        return false;
    ui.Enable(TRUE);
    ui.SetCheck(state_.sort == sort ? 1 : 0);
    return true;
}
