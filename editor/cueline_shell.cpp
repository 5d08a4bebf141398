#include "editor/cueline_shell.h"

#include "grid/window/cell_grid.h"
#include "platform/base/fs.h"
#include "platform/base/msgbox.h"
#include "platform/frame/settings.h"
#include "resources/editor/cueline_resources.h"

namespace tnv::cueline {

namespace {

constexpr int kStartClientWidth = 760;
constexpr int kStartClientHeight = 520;

} // namespace

bool CMainFrame::OnClose() {
    return !view_ || view_->QueryClose();
}

CHelpDialog::CHelpDialog() : CDialog(CueLineHelpTemplate()) {}

bool CHelpDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_HELP_EDIT, CueLineHelpText());
    GotoDlgCtrl(IDC_HELP_EDIT);
    return false;
}

CAboutDialog::CAboutDialog() : CDialog(CueLineAboutTemplate()) {}

std::string CAboutDialog::SecondLine() {
    return "Crew pack sound text editor, version 1.0";
}

bool CAboutDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    SetItemImage(IDC_ABOUT_ICON, kCueLineIconXpm);
    SetDlgItemText(IDC_ABOUT_LINE2, SecondLine());
    return true;
}

CCueLineApp::CCueLineApp() {
    SetAppName(kCueLineAppTitle);
    SetDesktopId(kCueLineDesktopId);
    // id, handler, enable rule, check rule
    SetCommands({
        {ID_FILE_NEW, [this] { OnFileNew(); }, {}, {}},
        {ID_APP_ABOUT, [] { CAboutDialog().DoModal(); }, {}, {}},
        {ID_HELP_CUELINE, [] { CHelpDialog().DoModal(); }, {}, {}},
        {ID_FILE_PRINT_SETUP, [this] { RunPrintSetupCommand(view_.get()); }, {}, {}},
    });
}

bool CCueLineApp::InitInstance() {
    if (!CreateWindows(CueLineFrameResources(), std::make_unique<CMainFrame>()))
        return false;
    frame_->SetClientSize(kStartClientWidth, kStartClientHeight);
    if (!openFolder_.empty())
        view_->SetStartFolder(openFolder_);
    else if (!programPath_.empty())
        view_->SetStartFolder(fsx::parentFolder(programPath_));

    if (commandLineFile_.empty() || fsx::isDirectory(fsx::resolvePath(commandLineFile_))) {
        // A folder names the pack itself; the view loads it.
        document_->OnNewDocument();
        view_->SetCommandLineFile(commandLineFile_);
    } else {
        if (!document_->OnOpenDocument(commandLineFile_)) {
            MessageBox(commandLineFile_ + "\nCannot open this file.", kCueLineAppTitle,
                       MB_OK | MB_ICONERROR);
            return false;
        }
        AddToRecentFileList(commandLineFile_);
        view_->SetCommandLineFile(commandLineFile_);
    }
    updateFrameTitle();
    view_->OnInitialUpdate();
    frame_->ShowWindow();
    return true;
}

std::unique_ptr<CCueLineView> CCueLineApp::MakeView() {
    return std::make_unique<CCueLineView>();
}

int CCueLineApp::ExitInstance() {
    if (settings())
        settings()->sync();
    TearDownWindows();
    return 0;
}

void CCueLineApp::updateFrameTitle() {
    if (frame_ && document_)
        frame_->SetWindowText(FrameTitleFor(document_->GetTitle(), kCueLineAppTitle));
}

void CCueLineApp::OnFileNew() {
    if (!document_ || !view_)
        return;
    document_->OnNewDocument();
    updateFrameTitle();
    view_->OnInitialUpdate();
}

} // namespace tnv::cueline
