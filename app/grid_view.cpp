#include "app/grid_view.h"

#include "grid/window/cell_grid.h"

namespace tnv {

GridView::~GridView() {
    // The grid is a child window: it goes before the view's window does.
    grid_.reset();
}

bool GridView::CreateGridWindow(UINT controlId) {
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

std::unique_ptr<CCellGrid> GridView::MakeGrid() {
    return std::make_unique<CCellGrid>();
}

CCmdTarget* GridView::gridTarget() const {
    if (!grid_ || !grid_->hasWindow())
        return nullptr;
    return grid_.get();
}

bool GridView::HasCommand(UINT id) const {
    if (CCmdTarget* grid = gridTarget(); grid && grid->HasCommand(id))
        return true;
    return commands_.Has(id);
}

bool GridView::OnCmdMsg(UINT id) {
    if (CCmdTarget* grid = gridTarget(); grid && grid->OnCmdMsg(id)) {
        OnGridCommand();
        return true;
    }
    return commands_.Run(id);
}

bool GridView::OnUpdateCmdUI(CCmdUI& ui) {
    if (CCmdTarget* grid = gridTarget(); grid && grid->OnUpdateCmdUI(ui))
        return true;
    return commands_.Update(ui);
}

void GridView::OnBeginPrinting(CDC* dc, CPrintInfo* info) {
    if (grid_)
        grid_->PrintBegin(dc, info);
}

void GridView::OnPrint(CDC* dc, CPrintInfo* info) {
    if (grid_)
        grid_->PrintPage(dc, info);
}

void GridView::OnEndPrinting(CDC* dc, CPrintInfo* info) {
    if (grid_)
        grid_->PrintEnd(dc, info);
}

} // namespace tnv
