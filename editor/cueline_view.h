// The editor's only view: a grid over the whole client area showing the crew pack, one row per
// sound (row number, WAV name, text), coloured by state, in the chosen order.
#pragma once

#include "app/grid_view.h"
#include "editor/crew_pack.h"
#include "editor/preview.h"

#include <memory>
#include <string>

namespace tnv {
class CCellGrid;
class CSoundDevice;
} // namespace tnv

namespace tnv::cueline {

enum SortMode { NoSort = 0, ByFileName = 1, ByText = 2 };

// Cell colours of the text column.
constexpr COLORREF kColorMissing = 0x0000FF;  // red: the WAV is not on disk
constexpr COLORREF kColorNoText = 0xFFE8C7;   // light blue: on disk, no text
constexpr COLORREF kColorWithText = 0xFFFFFF; // white
constexpr int kRowNumberWidth = 27;
constexpr int kFileNameWidth = 140;
constexpr int kTextColumnMargin = 160;
constexpr UINT IDC_CELL_GRID = 100;

class CCueLineView : public GridView, public CrewPackView {
public:
    CCueLineView();
    ~CCueLineView() override;

    // The command-line file of the start.
    void SetCommandLineFile(const std::string& path) { commandLineFile_ = path; }
    // The folder a fresh pack starts in: the program's own.
    void SetStartFolder(const std::string& folder) { crewPack_.setFolder(folder); }

    // The framework's first update: grid, sound device, the command line's pack. Runs once.
    void OnInitialUpdate();

    // The sound device; null when it could not start (the editor is then silent).
    CSoundDevice* soundDevice() const { return sound_.get(); }
    CCrewPack& crewPack() { return crewPack_; }
    PreviewSlot& preview() { return preview_; }
    SortMode sortMode() const { return sortMode_; }
    bool showRowNumbers() const { return showRowNumbers_; }
    // Takes a changed cell the grid reports into the pack's modified state, and returns that
    // state: modified as the user sees it (an edit began, or the grid changed a cell).
    bool refreshModified();

    // The open flow; `path` is the file the dialog returned.
    void OnFileOpen();
    bool OpenCrewPackOf(const std::string& path);
    // The exit guard: true when the window may close.
    bool QueryClose();

    // The two effects the in-place editor has in this program.
    void OnEditWindowCreated();
    void OnEditCharTyped(UINT ch);

    // Ends the edit of a cell before any command but the clipboard's, then routes it.
    bool OnCmdMsg(UINT id) override;

    // CrewPackView.
    void showCrewPack() override;
    void setStatusText(const std::string& text) override;
    int rowCount() const override;
    std::string rowFileName(int row) const override;
    std::string rowText(int row) const override;

    // The window title while a pack is shown, with or without the modified star.
    std::string EditingTitle(bool star) const;

protected:
    void OnGridCommand() override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnDestroy() override;
    void OnTimer(UINT id) override;
    bool OnNotify(WPARAM id, NMHDR* hdr, LRESULT* result) override;

private:
    CommandTable commandTable();
    // Rebuilds the grid from the entries; with keepEdits the texts in the grid survive.
    void rebuild(bool keepEdits);
    void setColumnWidths(int clientWidth);
    void markModified();
    void setSortMode(SortMode mode);
    void toggleRowNumbers();
    void save();
    // The exit command: the frame closes through its exit guard.
    void closeFrame();
    bool loadFolder(const std::string& folder);

    std::unique_ptr<CSoundDevice> sound_;
    PreviewSlot preview_;
    CCrewPack crewPack_;
    std::string commandLineFile_;
    SortMode sortMode_ = NoSort;
    bool showRowNumbers_ = true;
    bool initialUpdateDone_ = false;
    bool rebuilding_ = false;
};

} // namespace tnv::cueline
