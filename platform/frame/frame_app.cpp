// The application object and its documents, and running a program's windows (or a picture, or
// batch work without anyone watching).
#include "platform/base/fs.h"
#include "platform/dialogs/filedialog.h"
#include "platform/dialogs/msgbox_qt.h"
#include "platform/frame/frame.h"
#include "platform/frame/settings.h"
#include "platform/window/wnd_app.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <unistd.h>

namespace tnv {

namespace {

CWinApp* theApp = nullptr;

} // namespace

bool CDocument::OnNewDocument() {
    title_ = kUntitled;
    pathName_.clear();
    return true;
}

bool CDocument::OnOpenDocument(const std::string& path) {
    std::string disk = fsx::resolvePath(path);
    if (fsx::isDirectory(disk))
        return false;
    int fd = fsx::openRegularFile(disk);
    if (fd < 0)
        return false;
    ::close(fd);
    pathName_ = path;
    title_ = fsx::lastComponent(path);
    return true;
}

CWinApp::CWinApp() {
    theApp = this;
}

CWinApp::~CWinApp() {
    if (theApp == this)
        theApp = nullptr;
}

CWinApp* CWinApp::current() {
    return theApp;
}

void CWinApp::SetRegistryKey(const std::string& key) {
    registryKey_ = key;
}

void CWinApp::LoadStdProfileSettings(int recentSize) {
    if (!settingsFile_.empty())
        settings_ = std::make_unique<Settings>(settingsFile_, recentSize);
    else
        settings_ = std::make_unique<Settings>(registryKey_, appName_, recentSize);
}

void CWinApp::AddToRecentFileList(const std::string& path) {
    if (settings_) {
        settings_->addRecentFile(path);
        if (!settings_->sync() && !settingsFailureTold_) {
            settingsFailureTold_ = true;
            MessageBox("The settings cannot be written to " + fsx::fromDisk(settings_->fileName()) +
                           ".\nThe list of recent files is kept for this session only.",
                       appName_, MB_OK | MB_ICONEXCLAMATION);
        }
    }
}

std::string FrameTitleFor(const std::string& documentTitle, const std::string& appTitle) {
    return documentTitle + " - " + appTitle;
}

int RunApplication(CWinApp& app, int& argc, char** argv, const RunOptions& options) {
    const bool unattended = !options.screenshotPath.empty() || options.batch;
    if (options.batch)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (unattended && !WndApp::CanShowWindows())
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    WndApp qt(argc, argv, app.desktopId());
    // A picture is taken without anyone to answer: messages then go to stderr.
    std::unique_ptr<QtMessageBox> messageBoxes;
    std::unique_ptr<QtFileDialog> fileDialogs;
    if (!unattended) {
        messageBoxes = std::make_unique<QtMessageBox>();
        fileDialogs = std::make_unique<QtFileDialog>();
    }
    if (!app.InitInstance()) {
        app.ExitInstance();
        return 1;
    }
    int status = 0;
    if (options.batch) {
        QApplication::processEvents();
        status = options.batch(app);
    } else if (!options.screenshotPath.empty()) {
        CFrameWnd* frame = app.mainWnd();
        if (!frame)
            return 1;
        if (options.width > 0 && options.height > 0)
            frame->SetClientSize(options.width, options.height);
        QApplication::processEvents();
        QApplication::processEvents();
        std::string error;
        if (!frame->SaveScreenshot(options.screenshotPath, &error)) {
            std::fprintf(stderr, "The picture was not written: %s\n", error.c_str());
            status = 1;
        }
    } else {
        status = QApplication::exec();
    }
    int exitStatus = app.ExitInstance();
    return status != 0 ? status : exitStatus;
}

} // namespace tnv
