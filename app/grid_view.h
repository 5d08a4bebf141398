// What the programs' views share: one grid over the whole client area that is asked first for
// every command and does the printing, and one table of the view's own commands.
#pragma once

#include "app/command_table.h"
#include "platform/frame/frame.h"
#include "platform/print/print.h"
#include "platform/window/wnd.h"

#include <memory>

namespace tnv {

class CCellGrid;

class GridView : public CWnd, public CCmdTarget, public PrintJobSteps {
public:
    ~GridView() override;

    // Where the title and status texts go.
    void SetFrame(CFrameWnd* frame) { frame_ = frame; }
    CCellGrid* grid() const { return grid_.get(); }

    // CCmdTarget: the grid first, then the view's table.
    bool OnCmdMsg(UINT id) override;
    bool HasCommand(UINT id) const override;
    bool OnUpdateCmdUI(CCmdUI& ui) override;

    // Printing is the grid's: each step of a job is handed to it.
    void OnBeginPrinting(CDC* dc, CPrintInfo* info) override;
    void OnPrint(CDC* dc, CPrintInfo* info) override;
    void OnEndPrinting(CDC* dc, CPrintInfo* info) override;

protected:
    // The view's own commands; its constructor sets them once.
    void SetCommands(CommandTable commands) { commands_ = std::move(commands); }
    // Makes the grid (MakeGrid) over the whole client area; false, and no grid, when it cannot
    // be made. A view without a window of its own gets a grid without a window.
    bool CreateGridWindow(UINT controlId);
    // The grid object the first update makes.
    virtual std::unique_ptr<CCellGrid> MakeGrid();
    // After the grid ran a command.
    virtual void OnGridCommand() {}

    std::unique_ptr<CCellGrid> grid_;
    CFrameWnd* frame_ = nullptr;

private:
    // The grid once it has a window: it runs the clipboard commands and select all.
    CCmdTarget* gridTarget() const;

    CommandTable commands_;
};

} // namespace tnv
