#include "app/grid_view.h"

#include "grid/window/cell_grid.h"

CGridView::~CGridView() {
    // The grid is a child window: it goes before the view's window does.
    grid_.reset();
}

bool CGridView::CreateGridWindow(UINT controlId) {
    grid_ = MakeGrid();
    if (!grid_)
        return false;
    Rect client;
    GetClientRect(&client);
    if (hasWindow() && !grid_->CreateGrid(client, this, controlId,
                                          WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP)) {
        grid_.reset();
        return false;
    }
    return true;
}

std::unique_ptr<CCellGrid> CGridView::MakeGrid() {
    return std::make_unique<CCellGrid>();
}

CmdTarget* CGridView::gridTarget() const {
    if (!grid_ || !grid_->hasWindow())
        return nullptr;
    return grid_.get();
}

bool CGridView::HasCommand(UINT id) const {
    if (CmdTarget* grid = gridTarget(); grid && grid->HasCommand(id))
        return true;
    return commands_.Has(id);
}

bool CGridView::OnCmdMsg(UINT id) {
    if (CmdTarget* grid = gridTarget(); grid && grid->OnCmdMsg(id)) {
        OnGridCommand();
        return true;
    }
    return commands_.Run(id);
}

bool CGridView::OnUpdateCmdUI(CmdUI& ui) {
    if (CmdTarget* grid = gridTarget(); grid && grid->OnUpdateCmdUI(ui))
        return true;
    return commands_.Update(ui);
}

void CGridView::OnBeginPrinting(Surface* dc, CPrintInfo* info) {
    if (grid_)
        grid_->PrintBegin(dc, info);
}

void CGridView::OnPrint(Surface* dc, CPrintInfo* info) {
    if (grid_)
        grid_->PrintPage(dc, info);
}

void CGridView::OnEndPrinting(Surface* dc, CPrintInfo* info) {
    if (grid_)
        grid_->PrintEnd(dc, info);
}
