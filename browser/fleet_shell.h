// The browser as a program: the application with its start-up steps, the main frame with the
// variations switch, the document (it carries no data), and the about box.
#pragma once

#include "app/command_table.h"
#include "app/single_view_app.h"
#include "browser/fleet_options.h"
#include "browser/fleet_view.h"
#include "platform/dialogs/dialog.h"
#include "platform/frame/frame.h"

#include <memory>
#include <string>

namespace tnv::fleet {

class CMainFrame : public CFrameWnd {
public:
    explicit CMainFrame(FleetState& state);
    void SetView(CFleetValuerView* view) { view_ = view; }

    // "All aircraft variation": flips the switch, rescans and redraws.
    void OnAllVariations();

    // CCmdTarget: the frame's own commands, then the framework's.
    bool OnCmdMsg(UINT id) override;
    bool HasCommand(UINT id) const override;
    bool OnUpdateCmdUI(CCmdUI& ui) override;

private:
    FleetState& state_;
    CFleetValuerView* view_ = nullptr;
    CommandTable commands_;
};

// New and Open run the view's initial update again; Save writes an empty file under a name the
// user chooses. The document itself holds nothing.
class CFleetValuerDoc : public CDocument {
public:
    CFleetValuerDoc();
    void SetView(CFleetValuerView* view) { view_ = view; }
    void OnFileNew();
    void OnFileOpen();
    void OnFileSave();

    bool OnCmdMsg(UINT id) override { return commands_.Run(id); }
    bool HasCommand(UINT id) const override { return commands_.Has(id); }

private:
    // Asks for a name (the "Save As" step); empty when the user cancelled.
    std::string askSaveName();
    CFleetValuerView* view_ = nullptr;
    CommandTable commands_;
};

class CFleetAboutDialog : public CDialog {
public:
    CFleetAboutDialog();
};

class CFleetValuerApp : public SingleViewApp<CMainFrame, CFleetValuerDoc, CFleetValuerView> {
public:
    CFleetValuerApp(FleetState& state, const FleetOptions& options);

    bool InitInstance() override;

    FleetState& state() const { return state_; }
    // Outside a simulator: what to ask before the window shows (see ChooseSimulator).
    void SetSimulatorChoice(SimulatorChoice choice) { choice_ = std::move(choice); }

protected:
    std::unique_ptr<CFleetValuerView> MakeView() override;

private:
    // Asks which simulator among several, or says that none has the add-on. False when the user
    // declined to choose.
    bool settleSimulator();

    FleetState& state_;
    FleetOptions options_;
    SimulatorChoice choice_;
};

// Runs the window until it is closed, or renders it to the options' screenshot. Outside a
// simulator the window first settles which one it shows. Returns the exit status.
int RunFleetWindow(FleetState& state, const FleetOptions& options, int& argc, char** argv);

} // namespace tnv::fleet
