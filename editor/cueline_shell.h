// The editor as a program: the application with its start-up steps, the main frame with the exit
// guard, the document (it carries no data: the crew pack lives with the view) and the help and
// about dialogs.
#pragma once

#include "app/single_view_app.h"
#include "editor/cueline_view.h"
#include "platform/dialogs/dialog.h"
#include "platform/frame/frame.h"

#include <memory>
#include <string>

namespace tnv::cueline {

class CMainFrame : public CFrameWnd {
public:
    void SetView(CCueLineView* view) { view_ = view; }
    bool OnClose() override;

private:
    CCueLineView* view_ = nullptr;
};

class CCueLineDoc : public CDocument {};

// The help text in a box the user may scroll (and type in, to no effect); Tab goes on to OK.
class CHelpDialog : public CDialog {
public:
    CHelpDialog();

protected:
    bool OnInitDialog() override;
};

class CAboutDialog : public CDialog {
public:
    CAboutDialog();
    static std::string SecondLine();

protected:
    bool OnInitDialog() override;
};

class CCueLineApp : public SingleViewApp<CMainFrame, CCueLineDoc, CCueLineView> {
public:
    CCueLineApp();

    // The command line's file (8-bit, empty for none) and the program's own path, before
    // InitInstance.
    void SetCommandLine(const std::string& file) { commandLineFile_ = file; }
    void SetProgramPath(const std::string& path) { programPath_ = path; }
    // Where File, Open starts instead of the program's folder while no pack is open (8-bit).
    void SetOpenFolder(const std::string& folder) { openFolder_ = folder; }
    const std::string& commandLineFile() const { return commandLineFile_; }

    bool InitInstance() override;
    int ExitInstance() override;

    // The framework's new document: a fresh title, the view's first update (done only once).
    void OnFileNew();

protected:
    std::unique_ptr<CCueLineView> MakeView() override;

private:
    void updateFrameTitle();

    std::string commandLineFile_;
    std::string programPath_;
    std::string openFolder_;
};

} // namespace tnv::cueline
