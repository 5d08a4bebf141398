// The uninstaller's one window: the add-on's picture, a question, "Uninstall" and "Cancel". After
// the removal the label says so and "Cancel" reads "Finish".
#pragma once

#include "platform/dialogs/dialog.h"
#include "uninstaller/color_label.h"
#include "uninstaller/removal.h"

#include <string>

namespace tnv::uninstall {

class CUninstallDialog : public CDialog, private uninstall::RemovalView {
public:
    enum { IDD = 102, IDC_UNINSTALL = 1000, IDC_LABEL = 1001 };

    CUninstallDialog(uninstall::Environment env, uninstall::ScriptStarter start,
                     uninstall::ScriptTiming timing = {});

    const std::string& LabelText() const { return labelText_; }
    const CColorLabel& Label() const { return label_; }

protected:
    bool OnInitDialog() override;
    void OnCommand(int id) override;

private:
    void OnUninstall();
    void UpdateLabel(); // the label text to its control

    void DisableUninstall() override;
    void ShowLabel(const std::string& text) override;
    void ShowFinish() override;

    uninstall::Environment env_;
    uninstall::ScriptStarter start_;
    uninstall::ScriptTiming timing_;
    std::string labelText_;
    CColorLabel label_;
};

} // namespace tnv::uninstall
