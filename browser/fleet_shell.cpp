#include "browser/fleet_shell.h"

#include "platform/base/fs.h"
#include "platform/base/fs_write.h"
#include "platform/base/msgbox.h"
#include "platform/dialogs/choice_dialog.h"
#include "platform/dialogs/filedialog.h"
#include "platform/print/print.h"
#include "platform/window/wnd_app.h"
#include "resources/browser/fleet_resources.h"

#include <algorithm>
#include <cstdio>

namespace tnv::fleet {

namespace {

constexpr int kStartClientWidth = 880;
constexpr int kStartClientHeight = 520;

} // namespace

CMainFrame::CMainFrame(FleetState& state) : state_(state) {
    auto allShown = [this] { return state_.table->showAllVariations; };
    // id, handler, enable rule, check rule
    commands_ = {
        {ID_VIEW_ALL_VARIATIONS, [this] { OnAllVariations(); }, {}, allShown},
    };
}

void CMainFrame::OnAllVariations() {
    state_.table->showAllVariations = !state_.table->showAllVariations;
    RescanAircraft(state_);
    if (view_)
        view_->RedrawAircraftTable();
}

bool CMainFrame::HasCommand(UINT id) const {
    return commands_.Has(id) || CFrameWnd::HasCommand(id);
}

bool CMainFrame::OnCmdMsg(UINT id) {
    return commands_.Run(id) || CFrameWnd::OnCmdMsg(id);
}

bool CMainFrame::OnUpdateCmdUI(CCmdUI& ui) {
    return commands_.Update(ui) || CFrameWnd::OnUpdateCmdUI(ui);
}

CFleetValuerDoc::CFleetValuerDoc()
    : commands_({
          {ID_FILE_NEW, [this] { OnFileNew(); }, {}, {}},
          {ID_FILE_OPEN, [this] { OnFileOpen(); }, {}, {}},
          {ID_FILE_SAVE, [this] { OnFileSave(); }, {}, {}},
      }) {}

void CFleetValuerDoc::OnFileNew() {
    OnNewDocument();
    if (view_)
        view_->OnInitialUpdate();
}

void CFleetValuerDoc::OnFileOpen() {
    OpenFileRequest request;
    request.filter = "All Files (*.*)|*.*||";
    request.flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
    auto path = GetOpenFileName(request);
    if (!path)
        return;
    if (!OnOpenDocument(*path)) {
        MessageBox(*path + "\nCannot open this file.", kFleetAppTitle, MB_OK | MB_ICONERROR);
        return;
    }
    if (view_)
        view_->OnInitialUpdate();
}

std::string CFleetValuerDoc::askSaveName() {
    OpenFileRequest request;
    request.title = "Save As";
    request.fileName = GetTitle().empty() ? std::string(kUntitled) : GetTitle();
    request.filter = "All Files (*.*)|*.*||";
    request.flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST;
    // The dialog itself asks before it names a file that exists.
    auto path = GetSaveFileName(request);
    return path ? *path : std::string();
}

void CFleetValuerDoc::OnFileSave() {
    std::string path = GetPathName();
    if (path.empty())
        path = askSaveName();
    if (path.empty())
        return;
    std::string error;
    if (fsx::writeFile(fsx::resolvePath(path), "", &error, fsx::WriteOptions::NamedOutput()) !=
        fsx::WriteStatus::Written) {
        MessageBox("Cannot save " + path + ".\n" + error, kFleetAppTitle, MB_OK | MB_ICONERROR);
        return;
    }
    SetPathName(path);
    SetTitle(fsx::lastComponent(path));
}

CFleetAboutDialog::CFleetAboutDialog() : CDialog(FleetAboutTemplate()) {}

CFleetValuerApp::CFleetValuerApp(FleetState& state, const FleetOptions& options)
    : state_(state), options_(options) {
    SetAppName(kFleetAppTitle);
    SetDesktopId(kFleetDesktopId);
    SetCommands({
        {ID_APP_ABOUT, [] { CFleetAboutDialog().DoModal(); }, {}, {}},
        {ID_FILE_PRINT_SETUP, [this] { RunPrintSetupCommand(view_.get()); }, {}, {}},
        {ID_APP_EXIT, [this] { CloseFrame(); }, {}, {}},
    });
}

bool CFleetValuerApp::settleSimulator() {
    if (choice_.outcome == SimulatorChoice::Settled) {
        std::string missing = MissingAircraftFolder(state_);
        if (!missing.empty())
            std::fprintf(stderr, "FleetValuer: %s\n", missing.c_str());
        return true;
    }
    if (choice_.outcome == SimulatorChoice::None) {
        MessageBox("No simulator with the Tarnavel add-on was found.\n\n"
                   "To set one up, run in a terminal: tarnavel-setup SIMFOLDER\n"
                   "(tarnavel-setup --list shows the simulators found). Then start FleetValuer "
                   "from the simulator's Tarnavel menu.",
                   kFleetAppTitle, MB_OK | MB_ICONINFORMATION);
        return true;
    }
    ChoiceDialogDesc ask;
    ask.title = "Choose a simulator - FleetValuer";
    ask.prompt = "Several simulators have the Tarnavel add-on. Show the aircraft of:";
    ask.accessibleName = "Simulators with the Tarnavel add-on";
    ask.folders = choice_.simulators;
    auto kept = std::find(ask.folders.begin(), ask.folders.end(), choice_.kept);
    ask.current = kept == ask.folders.end() ? 0 : int(kept - ask.folders.begin());
    ask.okText = "Show";
    std::optional<int> chosen = ShowChoiceDialog(ask);
    if (!chosen)
        return false;
    const std::string& simulator = choice_.simulators[std::size_t(*chosen)];
    UseSimulator(state_, simulator);
    std::string error;
    if (!finder::KeepChoice(choice_.env, simulator, &error))
        MessageBox("The choice cannot be kept for the next start.\n" + fsx::fromDisk(error),
                   kFleetAppTitle, MB_OK | MB_ICONEXCLAMATION);
    return true;
}

bool CFleetValuerApp::InitInstance() {
    if (!settleSimulator())
        return false;
    if (!CreateWindows(FleetFrameResources(), std::make_unique<CMainFrame>(state_)))
        return false;
    document_->SetView(view_.get());
    if (options_.width > 0 && options_.height > 0)
        frame_->SetClientSize(options_.width, options_.height);
    else
        frame_->SetClientSize(kStartClientWidth, kStartClientHeight);

    document_->OnNewDocument();
    view_->OnInitialUpdate();
    frame_->SetWindowText(kFleetWindowTitle);
    frame_->ShowWindow();
    return true;
}

std::unique_ptr<CFleetValuerView> CFleetValuerApp::MakeView() {
    return std::make_unique<CFleetValuerView>(state_);
}

int RunFleetWindow(FleetState& state, const FleetOptions& options, int& argc, char** argv) {
    if (!options.printPdf.empty() && !IsKnownPageSize(options.pageSize)) {
        std::fprintf(stderr, "FleetValuer: unknown page size %s\n", options.pageSize.c_str());
        return 2;
    }
    if (options.screenshot.empty() && options.printPdf.empty() && !WndApp::CanShowWindows()) {
        std::fputs("FleetValuer: no display to open the window on (try --export - or "
                   "--screenshot)\n",
                   stderr);
        return 1;
    }
    CFleetValuerApp app(state, options);
    // The modes without a window settled it before; the window searches before it shows.
    if (options.screenshot.empty() && options.printPdf.empty())
        app.SetSimulatorChoice(ChooseSimulator(state, finder::Options{}));
    RunOptions run;
    run.screenshotPath = options.screenshot;
    run.width = options.width;
    run.height = options.height;
    if (!options.printPdf.empty()) {
        run.batch = [&options](CWinApp& started) {
            CFleetValuerView* view = static_cast<CFleetValuerApp&>(started).view();
            PageOptions paper;
            paper.pageSize = options.pageSize;
            paper.landscape = options.landscape;
            std::string error = "no window to print";
            if (!view || !PrintToPdf(options.printPdf, *view, paper, &error)) {
                std::fprintf(stderr, "FleetValuer: %s\n", error.c_str());
                return 1;
            }
            return 0;
        };
    }
    return RunApplication(app, argc, argv, run);
}

} // namespace tnv::fleet
