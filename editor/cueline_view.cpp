#include "editor/cueline_view.h"

#include "grid/window/cell_grid.h"
#include "platform/base/fs.h"
#include "platform/base/msgbox.h"
#include "platform/dialogs/filedialog.h"
#include "playback/sound_device.h"
#include "resources/editor/cueline_resources.h"

#include <cstdio>
#include <vector>

namespace tnv::cueline {

namespace {

std::string rowNumber(int i) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%03i", i);
    return buffer;
}

} // namespace

CCueLineView::CCueLineView() : crewPack_(this) {
    SetCommands(commandTable());
}

CommandTable CCueLineView::commandTable() {
    auto loaded = [this] { return crewPack_.count() > 0; };
    auto sort = [this, loaded](UINT id, SortMode mode) {
        return MenuCommand{id, [this, mode] { setSortMode(mode); }, loaded,
                           [this, mode] { return sortMode_ == mode; }};
    };
    auto print = [this] { RunPrintCommand(this, *this, kCueLineAppTitle); };
    auto preview = [this] { RunPrintPreviewCommand(this, *this, kCueLineAppTitle); };
    auto nothing = [] {};
    // id, handler, enable rule, check rule
    return {
        sort(ID_SORT_NONE, NoSort),
        sort(ID_SORT_FILENAME, ByFileName),
        sort(ID_SORT_TEXT, ByText),
        {ID_DISPLAY_ROWNUMBER, [this] { toggleRowNumbers(); }, loaded,
         [this] { return showRowNumbers_; }},
        {ID_FILE_SAVE, [this] { save(); }, [this] { return refreshModified(); }, {}},
        {ID_FILE_OPEN, [this] { OnFileOpen(); }, {}, {}},
        {ID_APP_EXIT, [this] { closeFrame(); }, {}, {}},
        {ID_FILE_PRINT, print, loaded, {}},
        {ID_FILE_PRINT_PREVIEW, preview, loaded, {}},
        {ID_FILE_PRINT_SETUP, {}, loaded, {}}, // the application runs it
        // What the grid leaves of the clipboard commands does nothing.
        {ID_EDIT_COPY, nothing, {}, {}},
        {ID_EDIT_CUT, nothing, {}, {}},
        {ID_EDIT_PASTE, nothing, {}, {}},
    };
}

CCueLineView::~CCueLineView() {
    // The grid is a child window: it goes before the view's window does.
    grid_.reset();
    preview_.release();
    sound_.reset();
}

void CCueLineView::OnInitialUpdate() {
    if (initialUpdateDone_)
        return;
    initialUpdateDone_ = true;

    if (!CreateGridWindow(IDC_CELL_GRID))
        return;
    grid_->AllowEditing(true);
    grid_->SetPrintAppTitle(kCueLineAppTitle);
    // The screen shows no header row; readers get the columns' titles all the same.
    grid_->SetAccessibleNames("Crew pack texts", {"Number", "Sound file", "Text"});
    grid_->SetNumRows(0);
    grid_->SetNumCols(3);
    grid_->SetNumFixedCols(2);
    grid_->SetColSize(0, 0);
    grid_->SetColSize(1, kFileNameWidth);
    grid_->SetColSize(2, 1800);

    sound_ = std::make_unique<CSoundDevice>();
    if (FAILED(sound_->start(this, 2, 2, 22050, 16)))
        sound_.reset();
    preview_.setDevice(sound_.get());
    grid_->SetFixedColumnHook(
        [this](const std::string& name) { preview_.previewSound(crewPack_.folder(), name); });
    CCellGrid::EditHooks hooks;
    hooks.created = [this]() { OnEditWindowCreated(); };
    hooks.typed = [this](UINT ch) { OnEditCharTyped(ch); };
    grid_->SetEditHooks(std::move(hooks));

    if (!commandLineFile_.empty())
        loadFolder(crewPackFolderFor(commandLineFile_));
}

bool CCueLineView::loadFolder(const std::string& folder) {
    // A pack that cannot be read leaves the one on screen in charge, folder included, so that a
    // later save still writes where its rows came from.
    std::string previous = crewPack_.folder();
    crewPack_.setFolder(folder);
    if (crewPack_.loadCrewPack())
        return true;
    crewPack_.setFolder(previous);
    return false;
}

void CCueLineView::setColumnWidths(int clientWidth) {
    if (!grid_)
        return;
    grid_->SetColSize(0, showRowNumbers_ ? kRowNumberWidth : 0);
    grid_->SetColSize(1, kFileNameWidth);
    // A view too narrow for the text column gives a negative width, which the grid refuses:
    // the column keeps the width it had.
    grid_->SetColSize(2, clientWidth - kTextColumnMargin - (showRowNumbers_ ? kRowNumberWidth : 0));
}

void CCueLineView::OnSize(UINT type, int cx, int cy) {
    CWnd::OnSize(type, cx, cy);
    if (!grid_)
        return;
    grid_->MoveWindow(Rect{0, 0, cx, cy});
    setColumnWidths(cx);
    grid_->RecalcScrollBars();
    grid_->Invalidate();
}

void CCueLineView::OnDestroy() {
    grid_.reset();
    preview_.release();
    preview_.setDevice(nullptr);
    if (sound_)
        sound_->shutdown();
    sound_.reset();
    CWnd::OnDestroy();
}

bool CCueLineView::OnNotify(WPARAM id, NMHDR* hdr, LRESULT* result) {
    // The grid's notifications carry nothing the view acts on, but they are a good moment to
    // take over a change the grid made on its own (paste, cut, delete). Those the grid sends
    // while the view clears and refills it are no change of the user's.
    if (!rebuilding_)
        refreshModified();
    return CWnd::OnNotify(id, hdr, result);
}

void CCueLineView::OnTimer(UINT id) {
    if (id == kPreviewTimerId)
        preview_.onTimer();
}

void CCueLineView::showCrewPack() {
    rebuild(false);
}

void CCueLineView::rebuild(bool keepEdits) {
    if (!grid_)
        return;
    // Edits the grid holds belong to the pack on screen: a kept grid hands them over first, a
    // new pack drops them.
    if (keepEdits)
        refreshModified();
    grid_->MarkModified(false);
    rebuilding_ = true;
    const int count = crewPack_.count();
    std::vector<std::string> kept;
    std::vector<bool> haveKept;
    if (keepEdits && grid_->GetNumRows() == count) {
        kept.resize(static_cast<std::size_t>(count));
        haveKept.resize(static_cast<std::size_t>(count), false);
        for (int r = 0; r < count; ++r) {
            LPARAM index = grid_->GetCellData(r, 0);
            if (index >= 0 && index < count) {
                kept[static_cast<std::size_t>(index)] = grid_->GetCellText(r, 2);
                haveKept[static_cast<std::size_t>(index)] = true;
            }
        }
    }

    grid_->ClearGrid();
    grid_->SetNumRows(count);
    grid_->SetNumCols(3);
    grid_->SetNumFixedCols(2);
    Rect client;
    GetClientRect(&client);
    setColumnWidths(client.Width());

    // The counts follow the texts shown, as the colours do, kept edits included.
    CCrewPack::Tally tally = crewPack_.tally();
    tally.withText = 0;
    tally.withoutText = 0;
    for (int i = 0; i < count; ++i) {
        const SoundEntry& entry = crewPack_.entry(i);
        grid_->SetCellText(i, 0, showRowNumbers_ ? rowNumber(i) : std::string());
        // The row's place in the pack's own order travels with the row when it is sorted.
        GRIDCELLINFO number;
        number.row = i;
        number.col = 0;
        number.mask = GCIF_DATA;
        number.data = i;
        grid_->SetCellInfo(&number);
        grid_->SetCellText(i, 1, entry.fileName);

        GRIDCELLINFO info;
        info.row = i;
        info.col = 2;
        info.mask = GCIF_TEXT | GCIF_FORMAT;
        bool carried = !haveKept.empty() && haveKept[static_cast<std::size_t>(i)];
        info.text = carried ? kept[static_cast<std::size_t>(i)] : std::string(entry.text);
        info.format = 0;
        grid_->SetCellInfo(&info);
        COLORREF color = entry.onDisk == 0   ? kColorMissing
                         : info.text.empty() ? kColorNoText
                                             : kColorWithText;
        grid_->SetCellBackColor(i, 2, color);
        ++(info.text.empty() ? tally.withoutText : tally.withText);
    }
    grid_->RepaintColumn(0);
    grid_->RepaintColumn(1);
    grid_->RepaintColumn(2);
    preview_.setTimerWindow(this);

    std::string status = crewPack_.statusText(tally);
    if (sortMode_ == ByFileName)
        grid_->SortRowsByText(1, true);
    else if (sortMode_ == ByText)
        grid_->SortRowsByText(2, true);
    setStatusText(status);
    grid_->MarkModified(false);
    rebuilding_ = false;
    if (frame_)
        frame_->SetWindowText(EditingTitle(crewPack_.modified()));
}

std::string CCueLineView::EditingTitle(bool star) const {
    return "Editing " + fsx::joinPath(crewPack_.folder(), "CueLine.clt") + (star ? " *" : "");
}

void CCueLineView::setStatusText(const std::string& text) {
    if (frame_)
        frame_->SetMessageText(text);
}

int CCueLineView::rowCount() const {
    return grid_ ? grid_->GetNumRows() : 0;
}

std::string CCueLineView::rowFileName(int row) const {
    return grid_ ? std::string(grid_->CopyCellText(row, 1, kMaxNameLen)) : std::string();
}

std::string CCueLineView::rowText(int row) const {
    return grid_ ? std::string(grid_->CopyCellText(row, 2, kMaxTextLen)) : std::string();
}

bool CCueLineView::refreshModified() {
    if (grid_ && grid_->IsModified() && !crewPack_.modified())
        markModified();
    return crewPack_.modified();
}

void CCueLineView::markModified() {
    crewPack_.setModified(true);
    if (frame_ && crewPack_.count() > 0)
        frame_->SetWindowText(EditingTitle(true));
}

void CCueLineView::OnEditWindowCreated() {
    crewPack_.setModified(true);
}

void CCueLineView::OnEditCharTyped(UINT ch) {
    if (ch == '\t' || ch == '\r' || ch == '\n' || ch == 0x1B)
        return;
    markModified();
}

void CCueLineView::setSortMode(SortMode mode) {
    sortMode_ = mode;
    rebuild(true);
}

void CCueLineView::toggleRowNumbers() {
    showRowNumbers_ = !showRowNumbers_;
    rebuild(true);
}

void CCueLineView::save() {
    refreshModified();
    crewPack_.saveCrewPack();
}

void CCueLineView::closeFrame() {
    if (frame_)
        frame_->PostClose();
}

void CCueLineView::OnFileOpen() {
    if (!grid_)
        return;
    if (refreshModified() &&
        MessageBox("You have made some text editing do you really want to open another crew pack "
                   "without saving ?",
                   "Open without saving ?", MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    OpenFileRequest request;
    request.fileName = "CueLine.clt";
    request.filter = "Tnv Sound file text (CueLine.ClT)|CueLine.ClT|";
    request.initialFolder = crewPack_.folder();
    request.flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOREADONLYRETURN |
                    OFN_NONETWORKBUTTON | OFN_EXPLORER | OFN_LONGNAMES | OFN_ENABLESIZING |
                    OFN_OVERWRITEPROMPT;
    std::optional<std::string> chosen = GetOpenFileName(request);
    if (!chosen)
        return;
    OpenCrewPackOf(*chosen);
}

bool CCueLineView::OpenCrewPackOf(const std::string& path) {
    if (!grid_)
        return false;
    // The chosen file only names the folder: the pack's text file is always its CueLine.clt.
    std::string::size_type cut = path.find_last_of(fsx::kSeparator);
    std::string folder = cut == std::string::npos ? fsx::fromDisk(fsx::currentFolder())
                         : cut == 0               ? std::string("/")
                                                  : path.substr(0, cut);
    bool loaded = loadFolder(folder);
    if (loaded) {
        if (CWinApp* app = CWinApp::current())
            app->AddToRecentFileList(path);
    }
    return loaded;
}

bool CCueLineView::QueryClose() {
    if (!refreshModified())
        return true;
    return MessageBox("You have made some text editing do you really want to exit without saving ?",
                      "Exit without saving ?", MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
}

bool CCueLineView::OnCmdMsg(UINT id) {
    // A command other than the clipboard's takes the text being typed into a cell first, so
    // that saving, sorting or opening does not pass it by.
    if (grid_ && id != ID_EDIT_COPY && id != ID_EDIT_CUT && id != ID_EDIT_PASTE &&
        id != ID_EDIT_SELECT_ALL)
        grid_->EndCellEdit();
    return GridView::OnCmdMsg(id);
}

void CCueLineView::OnGridCommand() {
    refreshModified(); // a paste or cut may have changed texts
}

} // namespace tnv::cueline
