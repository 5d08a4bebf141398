// The editor's only view: a grid over the whole client area showing the crew pack, one row per
// sound (row number, WAV name, text), coloured by state, in the chosen order.
#pragma once

#include "editor/crew_pack.h"
#include "editor/preview.h"
#include "platform/frame.h"
#include "platform/print.h"
#include "platform/wnd.h"

#include <memory>
#include <string>

class CCellGrid;
class CSoundDevice;

enum SortMode { NoSort = 0, ByFileName = 1, ByText = 2 };

// Cell colours of the text column.
constexpr COLORREF kColorMissing = 0x0000FF;  // red: the WAV is not on disk
constexpr COLORREF kColorNoText = 0xFFE8C7;   // light blue: on disk, no text
constexpr COLORREF kColorWithText = 0xFFFFFF; // white
constexpr int kRowNumberWidth = 27;
constexpr int kFileNameWidth = 140;
constexpr int kTextColumnMargin = 160;
constexpr UINT IDC_CELL_GRID = 100;

class CCueLineView : public Wnd, public CmdTarget, public CrewPackView, public PrintJobSteps {
public:
    CCueLineView();
    ~CCueLineView() override;

    // Where the title and status texts go, and the command-line file of the start.
    void SetFrame(CFrameWnd* frame) { frame_ = frame; }
    void SetCommandLineFile(const std::string& path) { commandLineFile_ = path; }
    // The folder a fresh pack starts in: the program's own.
    void SetStartFolder(const std::string& folder) { crewPack_.setFolder(folder); }

    // The framework's first update: grid, sound device, the command line's pack. Runs once.
    void OnInitialUpdate();

    CCellGrid* grid() const { return grid_.get(); }
    // The sound device; null when it could not start (the editor is then silent).
    CSoundDevice* soundDevice() const { return sound_.get(); }
    CCrewPack& crewPack() { return crewPack_; }
    PreviewSlot& preview() { return preview_; }
    SortMode sortMode() const { return sortMode_; }
    bool showRowNumbers() const { return showRowNumbers_; }
    // Modified as the user sees it: an edit began, or the grid reports a changed cell.
    bool isModified();

    // The open flow; `path` is the file the dialog returned.
    void OnFileOpen();
    bool OpenCrewPackOf(const std::string& path);
    // The exit guard: true when the window may close.
    bool QueryClose();

    // The two effects the in-place editor has in this program.
    void OnEditWindowCreated();
    void OnEditCharTyped(UINT ch);

    // CmdTarget: the grid first, then the view's own commands.
    bool OnCmdMsg(UINT id) override;
    bool HasCommand(UINT id) const override;
    bool OnUpdateCmdUI(CmdUI& ui) override;
    // Printing is the grid's: each step of a job is handed to it.
    void OnBeginPrinting(Surface* dc, CPrintInfo* info) override;
    void OnPrint(Surface* dc, CPrintInfo* info) override;
    void OnEndPrinting(Surface* dc, CPrintInfo* info) override;

    // CrewPackView.
    void showCrewPack() override;
    void setStatusText(const std::string& text) override;
    int rowCount() const override;
    std::string rowFileName(int row) const override;
    std::string rowText(int row) const override;

    // The window title while a pack is shown, with or without the modified star.
    std::string EditingTitle(bool star) const;

protected:
    // The grid the first update creates.
    virtual std::unique_ptr<CCellGrid> MakeGrid();
    void OnSize(UINT type, int cx, int cy) override;
    void OnDestroy() override;
    void OnTimer(UINT id) override;
    BOOL OnNotify(WPARAM id, NMHDR* hdr, LRESULT* result) override;

private:
    // Rebuilds the grid from the entries; with keepEdits the texts in the grid survive.
    void rebuild(bool keepEdits);
    void setColumnWidths(int clientWidth);
    void markModified();
    void setSortMode(SortMode mode);
    CmdTarget* gridTarget() const;
    bool loadFolder(const std::string& folder);

    std::unique_ptr<CCellGrid> grid_;
    std::unique_ptr<CSoundDevice> sound_;
    PreviewSlot preview_;
    CCrewPack crewPack_;
    CFrameWnd* frame_ = nullptr;
    std::string commandLineFile_;
    SortMode sortMode_ = NoSort;
    bool showRowNumbers_ = true;
    bool initialUpdateDone_ = false;
    bool rebuilding_ = false;
};
