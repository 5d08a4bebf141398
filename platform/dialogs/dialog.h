// Modal dialogs described the way dialog resources describe them: a caption, a size in dialog
// units, and controls (pictures, texts, push buttons, read-only text boxes) placed in dialog units
// with numeric ids. A program derives from CDialog, sets its controls up in OnInitDialog, handles
// buttons in OnCommand and ends the dialog with EndDialog. Enter presses the default button (or
// the focused one), Escape and the close box call OnCancel.
//
// Dialog units follow the dialog font: for "MS Sans Serif" 8, one unit is 6/4 pixel across and
// 13/8 pixel down, so a dialog 185 units wide is 278 pixels wide on every machine.
//
// Built on Qt Widgets; this header carries no Qt, so programs and their tests stay Qt-free.
#pragma once

#include "platform/base/types.h"
#include "platform/window/wnd.h"

#include <memory>
#include <string>
#include <vector>

class QWidget;

namespace tnv {
class DialogWindow;

constexpr int IDC_STATIC = -1;

// Text alignment of a DlgKind::Text control.
constexpr UINT SS_LEFT = 0x0000;
constexpr UINT SS_CENTER = 0x0001;
constexpr UINT SS_RIGHT = 0x0002;
// A DlgKind::Button that Enter presses.
constexpr UINT BS_DEFPUSHBUTTON = 0x0001;
// A DlgKind::Edit the user may type in, Enter making a new line; what is typed is never read
// back (GetDlgItemText gives what was set). Without it the box is read-only.
constexpr UINT ES_WANTRETURN = 0x1000;
// (WS_VSCROLL on a DlgKind::Edit: its vertical scroll bar always shows.)

enum class DlgKind {
    Picture, // text: the image (a resource path ":/..." or a file); sized to the image if it loads
    Text,    // static text, wrapped at word breaks; its font and colours can be set
    Button,  // push button; clicking it calls OnCommand(id)
    Edit,    // multi-line, scrolled, word-wrapped text box (read-only unless ES_WANTRETURN);
             // Tab moves on to the next control; CR LF line ends show as line breaks
};

struct DlgControl {
    DlgKind kind = DlgKind::Text;
    int id = IDC_STATIC;
    std::string text;                 // 8-bit text
    int x = 0, y = 0, cx = 0, cy = 0; // dialog units
    UINT style = 0;
};

struct DlgTemplate {
    std::string caption; // 8-bit text
    std::string fontFace = "MS Sans Serif";
    int fontPoints = 8;
    int cx = 0, cy = 0; // client size in dialog units
    std::vector<DlgControl> controls;
};

class CDialog {
public:
    explicit CDialog(DlgTemplate tmpl);
    virtual ~CDialog();
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Shows the dialog and returns the value given to EndDialog once it has ended.
    int DoModal();
    // Shows the dialog without waiting (the caller's event loop drives it); false if it could not
    // be initialised. Tests and screenshots use this.
    bool Create();
    void EndDialog(int result);
    bool IsOpen() const;
    int Result() const;

    // Controls, by id. Unknown ids are ignored (and read as empty).
    void SetDlgItemText(int id, const std::string& text);
    std::string GetDlgItemText(int id) const;
    void EnableDlgItem(int id, bool enable);
    bool IsDlgItemEnabled(int id) const;
    void GotoDlgCtrl(int id);
    int GetFocusId() const;         // IDC_STATIC when no control has the focus
    Rect GetItemRect(int id) const; // pixels, in the client area
    Size GetClientSize() const;     // pixels

    // Text controls draw with their own font and colours; CLR_DEFAULT means the system colour.
    void SetItemFont(int id, const FontDesc& font);
    void SetItemColors(int id, COLORREF text, COLORREF back);
    // Repaints a control now, or at the next paint.
    void RedrawItem(int id, bool now);
    // A picture control shows this image (XPM data, as the programs' icons are kept), sized to it.
    void SetItemImage(int id, const char* const* xpm);
    // The window's icon: an image resource path or file.
    void SetIcon(const std::string& image);
    std::string Caption() const;

    // For tests and screenshots. widget() is the Qt window (nullptr before Create/DoModal).
    QWidget* widget() const;
    bool SaveImage(const std::string& pngPath) const; // the client area as it looks now
    void ClickItem(int id);                           // a left click in the control's middle
    void PressKey(UINT vk);                           // a key pressed where the focus is
    bool WaitActive(int ms = 5000);
    static void ProcessEvents();

protected:
    // Called once the controls exist, before the dialog is shown. false: focus already set.
    virtual bool OnInitDialog();
    // A button was clicked (or Enter pressed it). IDOK calls OnOK, IDCANCEL OnCancel.
    virtual void OnCommand(int id);
    virtual void OnOK();
    virtual void OnCancel(); // also Escape and the close box

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
    friend struct Impl;
    friend class DialogWindow;
};

// The font description of the system's default GUI font.
FontDesc DefaultGuiFont();

} // namespace tnv
