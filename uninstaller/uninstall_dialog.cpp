#include "uninstaller/uninstall_dialog.h"

namespace tnv::uninstall {

namespace {

DlgTemplate uninstallTemplate() {
    DlgTemplate t;
    t.caption = "Uninstall Tarnavel";
    t.cx = 185;
    t.cy = 100;
    t.controls = {
        {DlgKind::Picture, IDC_STATIC, ":/uninstaller/picture.png", 0, 0, 185, 72, 0},
        {DlgKind::Text, CUninstallDialog::IDC_LABEL, "", 62, 28, 113, 20, SS_CENTER},
        {DlgKind::Button, CUninstallDialog::IDC_UNINSTALL, "Uninstall", 7, 81, 108, 14,
         BS_DEFPUSHBUTTON},
        {DlgKind::Button, IDCANCEL, "Cancel", 123, 81, 50, 14, 0},
    };
    return t;
}

} // namespace

CUninstallDialog::CUninstallDialog(uninstall::Environment env, uninstall::ScriptStarter start,
                                   uninstall::ScriptTiming timing)
    : CDialog(uninstallTemplate()), env_(std::move(env)), start_(std::move(start)),
      timing_(timing) {}

bool CUninstallDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    SetIcon(":/uninstaller/icon.png");
    label_.Attach(this, IDC_LABEL);
    label_.SetTextColor(RGB(0, 0, 0));
    label_.SetFontName("Arial");
    label_.SetFontSize(11);
    label_.SetFontBold(true);
    label_.SetBkColor(RGB(255, 255, 255));
    labelText_ = uninstall::kAskText;
    if (!uninstall::MakePlan(env_).refusal.empty()) {
        // Not an add-on's tree: say so, and offer nothing but closing.
        labelText_ = uninstall::kRefusedText;
        EnableDlgItem(IDC_UNINSTALL, false);
        SetDlgItemText(IDCANCEL, "Close");
        GotoDlgCtrl(IDCANCEL);
    }
    UpdateLabel();
    return true;
}

void CUninstallDialog::OnCommand(int id) {
    if (id == IDC_UNINSTALL)
        OnUninstall();
    else
        CDialog::OnCommand(id);
}

void CUninstallDialog::OnUninstall() {
    if (!IsDlgItemEnabled(IDC_UNINSTALL))
        return; // once only
    uninstall::RunRemoval(env_, *this, start_, timing_);
}

void CUninstallDialog::UpdateLabel() {
    SetDlgItemText(IDC_LABEL, labelText_);
}

void CUninstallDialog::DisableUninstall() {
    EnableDlgItem(IDC_UNINSTALL, false);
}

void CUninstallDialog::ShowLabel(const std::string& text) {
    labelText_ = text;
    UpdateLabel();
}

void CUninstallDialog::ShowFinish() {
    SetDlgItemText(IDCANCEL, "Finish");
    GotoDlgCtrl(IDCANCEL); // Enter now finishes
}

} // namespace tnv::uninstall
