#include "uninstaller/color_label.h"

#include "platform/draw/syscolors.h"

namespace tnv::uninstall {

CColorLabel::CColorLabel()
    : text_(GetSysColor(COLOR_WINDOWTEXT)), back_(GetSysColor(COLOR_BTNFACE)),
      font_(DefaultGuiFont()) {}

void CColorLabel::Attach(CDialog* dialog, int id) {
    dialog_ = dialog;
    id_ = id;
    if (!dialog_)
        return;
    dialog_->SetItemFont(id_, font_);
    dialog_->SetItemColors(id_, text_, back_);
}

void CColorLabel::SetTextColor(COLORREF color) {
    text_ = color;
    if (!dialog_)
        return;
    dialog_->SetItemColors(id_, text_, back_);
    dialog_->RedrawItem(id_, true);
}

void CColorLabel::SetFontName(const std::string& face) {
    font_.setFaceName(face);
    rebuildFont();
}

void CColorLabel::SetFontSize(int pixels) {
    font_.height = -pixels;
    rebuildFont();
}

void CColorLabel::SetFontBold(bool bold) {
    font_.weight = bold ? FW_BOLD : FW_NORMAL;
    rebuildFont();
}

void CColorLabel::SetBkColor(COLORREF color) {
    back_ = color;
    if (dialog_)
        dialog_->SetItemColors(id_, text_, back_);
}

void CColorLabel::rebuildFont() {
    if (!dialog_)
        return;
    dialog_->SetItemFont(id_, font_);
    dialog_->RedrawItem(id_, true);
}

} // namespace tnv::uninstall
