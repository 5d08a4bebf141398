// A static text that draws with its own font and colours. It keeps a font description and two
// colours and hands them to the dialog's text control it is attached to.
#pragma once

#include "platform/base/types.h"
#include "platform/dialogs/dialog.h"

#include <string>

namespace tnv::uninstall {

class CColorLabel {
public:
    CColorLabel();

    // Takes over the dialog's text control `id`, with the font and colours held so far.
    void Attach(CDialog* dialog, int id);

    // These repaint the label at once.
    void SetTextColor(COLORREF color);
    void SetFontName(const std::string& face);
    void SetFontSize(int pixels); // kept as a character height, that is negative
    void SetFontBold(bool bold);
    // Takes effect at the next paint.
    void SetBkColor(COLORREF color);

    COLORREF TextColor() const { return text_; }
    COLORREF BkColor() const { return back_; }
    const FontDesc& Font() const { return font_; }

private:
    void rebuildFont();

    CDialog* dialog_ = nullptr;
    int id_ = IDC_STATIC;
    COLORREF text_;
    COLORREF back_;
    FontDesc font_;
};

} // namespace tnv::uninstall
