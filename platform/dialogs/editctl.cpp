#include "platform/dialogs/editctl.h"

#include "platform/base/codepage.h"
#include "platform/draw/surface.h"
#include "platform/draw/syscolors.h"
#include "platform/qt/qtbridge.h"
#include "platform/qt/surface_fonts.h"
#include "platform/qt/wnd_widgets.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPointer>

#include <algorithm>
#include <vector>

namespace tnv {

namespace {

struct DepthGuard {
    DepthGuard() { ++wndinput::eventDepth(); }
    ~DepthGuard() { --wndinput::eventDepth(); }
};

// The keys an edit keeps for itself even where the program has accelerators for them.
bool ownsKey(const QKeyEvent* k) {
    Qt::KeyboardModifiers m = k->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier |
                                                Qt::AltModifier | Qt::MetaModifier);
    int key = k->key();
    if (m == Qt::ControlModifier)
        return key == Qt::Key_A || key == Qt::Key_C || key == Qt::Key_V || key == Qt::Key_X ||
               key == Qt::Key_Z || key == Qt::Key_Insert || key == Qt::Key_Left ||
               key == Qt::Key_Right;
    if (m == Qt::ShiftModifier)
        return key == Qt::Key_Insert || key == Qt::Key_Delete;
    return false;
}

} // namespace

// The platform's edit field; its input becomes the edit window's messages.
class EditField : public QLineEdit {
public:
    EditField(QWidget* parent, CEdit* o) : QLineEdit(parent), owner(o) { setFrame(false); }
    CEdit* owner;

protected:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::ShortcutOverride) {
            auto* k = static_cast<QKeyEvent*>(e);
            if (ownsKey(k) || swallowed(k)) {
                e->accept();
                return true;
            }
            e->ignore();
            return true;
        }
        if (e->type() == QEvent::KeyPress && owner) {
            auto* k = static_cast<QKeyEvent*>(e);
            if (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) {
                wndinput::setInputState(k->modifiers(), QApplication::mouseButtons());
                UINT code = UINT(owner->SendMessage(WM_GETDLGCODE));
                if (code & (DLGC_WANTTAB | DLGC_WANTALLKEYS)) {
                    keyPressEvent(k);
                    return true;
                }
            }
        }
        return QLineEdit::event(e);
    }

    void keyPressEvent(QKeyEvent* e) override {
        DepthGuard guard;
        if (!owner)
            return;
        Qt::KeyboardModifiers mods = e->modifiers();
        wndinput::setInputState(mods, QApplication::mouseButtons());
        UINT vk = wndinput::virtualKeyOf(e);
        MsgParam lp = repeatOf(e);
        if (vk)
            owner->SendMessage(WM_KEYDOWN, vk, lp);
        if (!owner)
            return;
        UINT msg = (mods & Qt::AltModifier) ? WM_SYSCHAR : WM_CHAR;
        for (UINT ch : charsOf(e)) {
            if (owner->PreTranslateMessage(msg, ch, lp))
                continue;
            owner->SendMessage(msg, ch, lp);
            if (!owner)
                return;
        }
    }

    // The platform edit's own menu: Undo, Cut, Copy, Paste, Delete and Select All.
    void contextMenuEvent(QContextMenuEvent* e) override {
        if (!owner)
            return;
        QPointer<EditField> self(this);
        auto* menu = new QMenu(this);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        bool readOnly = isReadOnly();
        bool picked = hasSelectedText();
        QString all = text();
        auto add = [&](const char* label, bool enabled, void (*act)(QLineEdit&)) {
            QAction* a = menu->addAction(QString::fromLatin1(label));
            a->setEnabled(enabled);
            QObject::connect(a, &QAction::triggered, this, [self, act] {
                if (self && self->owner)
                    act(*self);
            });
        };
        add("&Undo", !readOnly && isUndoAvailable(), [](QLineEdit& f) { f.undo(); });
        menu->addSeparator();
        add("Cu&t", !readOnly && picked, [](QLineEdit& f) { f.cut(); });
        add("&Copy", picked, [](QLineEdit& f) { f.copy(); });
        const QMimeData* clip = QGuiApplication::clipboard()->mimeData();
        add("&Paste", !readOnly && clip && clip->hasText(), [](QLineEdit& f) { f.paste(); });
        add("&Delete", !readOnly && picked, [](QLineEdit& f) { f.del(); });
        menu->addSeparator();
        add("Select &All", !all.isEmpty() && selectedText() != all,
            [](QLineEdit& f) { f.selectAll(); });
        menu->popup(e->globalPos());
        e->accept();
    }

    void keyReleaseEvent(QKeyEvent* e) override {
        DepthGuard guard;
        if (!owner)
            return;
        wndinput::setInputState(e->modifiers(), QApplication::mouseButtons());
        if (UINT vk = wndinput::virtualKeyOf(e))
            owner->SendMessage(WM_KEYUP, vk, 1);
    }

    // Text composed by an input method arrives as typed characters too.
    void inputMethodEvent(QInputMethodEvent* e) override {
        DepthGuard guard;
        std::vector<UINT> chars;
        typed(e->commitString(), chars);
        e->accept();
        for (UINT ch : chars) {
            if (!owner)
                return;
            owner->SendMessage(WM_CHAR, ch, 1);
        }
    }

    void focusInEvent(QFocusEvent* e) override {
        DepthGuard guard;
        QLineEdit::focusInEvent(e);
        if (!owner)
            return;
        CWnd*& focus = wndinput::focus();
        if (focus == owner)
            return;
        CWnd* self = owner;
        CWnd* previous = focus;
        focus = self;
        if (previous)
            previous->SendMessage(WM_KILLFOCUS, reinterpret_cast<WPARAM>(self));
        if (owner && focus == self)
            owner->SendMessage(WM_SETFOCUS, reinterpret_cast<WPARAM>(previous));
    }

    void focusOutEvent(QFocusEvent* e) override {
        DepthGuard guard;
        QLineEdit::focusOutEvent(e);
        if (!owner)
            return;
        CWnd*& focus = wndinput::focus();
        if (focus != owner)
            return;
        CWnd* self = owner;
        CWnd* next = wndinput::wndAround(QApplication::focusWidget());
        if (next == self)
            return;
        focus = next;
        owner->SendMessage(WM_KILLFOCUS, reinterpret_cast<WPARAM>(next));
        if (next)
            next->SendMessage(WM_SETFOCUS, reinterpret_cast<WPARAM>(self));
    }

private:
    static MsgParam repeatOf(const QKeyEvent* e) {
        return MsgParam(std::max(e->count(), 1) & 0xFFFF);
    }

    // The characters a key types: Ctrl+letter types its control character, and of the other
    // control characters only those a keyboard types on its own (see typesCharacter).
    static std::vector<UINT> charsOf(const QKeyEvent* e) {
        Qt::KeyboardModifiers mods = e->modifiers();
        UINT vk = wndinput::virtualKeyOf(e);
        bool ctrl = mods & Qt::ControlModifier;
        bool alt = mods & Qt::AltModifier;
        std::vector<UINT> chars;
        if (vk == VK_TAB)
            chars.push_back(9);
        else if (vk == VK_RETURN)
            chars.push_back(13);
        else if (vk == VK_ESCAPE)
            chars.push_back(27);
        else if (vk == VK_BACK && !ctrl)
            chars.push_back(8);
        else if (ctrl && !alt && vk >= 'A' && vk <= 'Z')
            chars.push_back(vk - 'A' + 1); // Ctrl+letter types its control character
        else if (!ctrl)
            typed(e->text(), chars);
        return chars;
    }

    // An Alt+key the edit's pre-translation swallows: no menu or accelerator may take it.
    bool swallowed(const QKeyEvent* k) const {
        if (!owner || !(k->modifiers() & Qt::AltModifier))
            return false;
        for (UINT ch : charsOf(k))
            if (owner->PreTranslateMessage(WM_SYSCHAR, ch, repeatOf(k)))
                return true;
        return false;
    }

    static void typed(const QString& text, std::vector<UINT>& chars) {
        for (QChar ch : text) {
            int byte = cp1252::fromUnicode(ch.unicode());
            if (byte >= 32 && byte != 127)
                chars.push_back(UINT(byte));
        }
    }
};

struct CEdit::Impl {
    QPointer<EditField> field;
    Font font;
    QString accessibleName;

    // The field is what readers meet; the window around it carries the name too.
    void applyName(QWidget* window) const {
        if (field)
            field->setAccessibleName(accessibleName);
        if (window)
            window->setAccessibleName(accessibleName);
    }
};

void CEdit::SetAccessibleName(const std::string& name) {
    d_->accessibleName = qtbridge::toQString(name);
    d_->applyName(widget());
}

CEdit::CEdit() : d_(std::make_unique<Impl>()) {
    if (!IsWndClassRegistered(EDIT_CLASS_NAME)) {
        WndClassInfo cls;
        cls.name = EDIT_CLASS_NAME;
        cls.style = CS_DBLCLKS;
        cls.backgroundSysColor = COLOR_WINDOW;
        cls.cursor = Cursor::IBeam;
        RegisterWndClass(cls);
    }
}

CEdit::~CEdit() {
    if (d_->field)
        d_->field->owner = nullptr;
    DestroyWindow();
}

bool CEdit::Create(DWORD style, const Rect& rect, CWnd* parent, UINT id) {
    return CWnd::Create(EDIT_CLASS_NAME, "", style, rect, parent, id);
}

int CEdit::OnCreate() {
    QWidget* client = clientWidget();
    if (!client)
        return -1;
    auto* field = new EditField(client, this);
    d_->field = field;
    DWORD align = GetAlignment();
    Qt::Alignment h = align == ES_RIGHT    ? Qt::AlignRight
                      : align == ES_CENTER ? Qt::AlignHCenter
                                           : Qt::AlignLeft;
    field->setAlignment(h | Qt::AlignVCenter);
    field->setGeometry(client->rect());
    d_->applyName(widget());
    client->setFocusProxy(field);
    field->show();
    return 0;
}

DWORD CEdit::GetAlignment() const {
    DWORD s = GetStyle();
    return (s & ES_RIGHT) ? ES_RIGHT : (s & ES_CENTER) ? ES_CENTER : ES_LEFT;
}

void CEdit::OnSize(UINT type, int cx, int cy) {
    CWnd::OnSize(type, cx, cy);
    if (d_->field)
        d_->field->setGeometry(0, 0, cx, cy);
}

void CEdit::OnSetFont(const FontDesc* font, bool redraw) {
    if (font)
        d_->font.CreateFontIndirect(*font);
    else
        d_->font.DeleteObject();
    if (d_->field) {
        d_->field->setFont(font ? surfacefonts::toQFont(*font) : QApplication::font());
        if (redraw)
            d_->field->update();
    }
}

const FontDesc* CEdit::OnGetFont() {
    return d_->font.desc();
}

void CEdit::SetWindowText(const std::string& text) {
    if (d_->field)
        d_->field->setText(qtbridge::toQString(text));
}

std::string CEdit::GetWindowText() const {
    return d_->field ? qtbridge::fromQString(d_->field->text()) : std::string();
}

void CEdit::SetSel(int start, int end, bool) {
    EditField* f = d_->field;
    if (!f)
        return;
    int len = int(f->text().size());
    if (start < 0) {
        f->deselect();
        return;
    }
    if (end < 0 || end > len)
        end = len;
    start = std::min(start, len);
    if (start == end) {
        f->deselect();
        f->setCursorPosition(end);
    } else if (end > start) {
        f->setSelection(start, end - start);
    } else {
        f->setSelection(start, end - start); // a negative length selects backwards
    }
}

void CEdit::GetSel(int* start, int* end) const {
    int s = 0, e = 0;
    if (EditField* f = d_->field) {
        if (f->hasSelectedText()) {
            s = f->selectionStart();
            e = s + int(f->selectedText().size());
        } else {
            s = e = f->cursorPosition();
        }
    }
    if (start)
        *start = s;
    if (end)
        *end = e;
}

int CEdit::GetCaretPos() const {
    return d_->field ? d_->field->cursorPosition() : 0;
}

void CEdit::ReplaceSel(const std::string& text) {
    if (d_->field)
        d_->field->insert(qtbridge::toQString(text));
}

void CEdit::ScrollCaret() {
    // The field keeps its caret in view by itself; a repaint shows where it is now.
    if (d_->field)
        d_->field->update();
}

void CEdit::Copy() {
    if (d_->field)
        d_->field->copy();
}
void CEdit::Cut() {
    if (d_->field)
        d_->field->cut();
}
void CEdit::Paste() {
    if (d_->field)
        d_->field->paste();
}
void CEdit::Undo() {
    if (d_->field)
        d_->field->undo();
}

int CEdit::MeasureText(const std::string& text) const {
    QFont font = d_->field ? d_->field->font() : QApplication::font();
    return QFontMetrics(font).horizontalAdvance(qtbridge::toQString(text));
}

LRESULT CEdit::WindowProc(UINT msg, WPARAM wp, MsgParam lp) {
    // From here on the field's input no longer reaches a window that is going away.
    if (msg == WM_DESTROY && d_->field)
        d_->field->owner = nullptr;
    return CWnd::WindowProc(msg, wp, lp);
}

LRESULT CEdit::DefWindowProc(UINT msg, WPARAM wp, MsgParam lp) {
    EditField* f = d_->field;
    if (!f)
        return CWnd::DefWindowProc(msg, wp, lp);
    bool shift = GetKeyState(VK_SHIFT) < 0;
    bool ctrl = GetKeyState(VK_CONTROL) < 0;
    switch (msg) {
    case WM_KEYDOWN:
        switch (UINT(wp)) {
        case VK_LEFT:
            ctrl ? f->cursorWordBackward(shift) : f->cursorBackward(shift);
            break;
        case VK_RIGHT:
            ctrl ? f->cursorWordForward(shift) : f->cursorForward(shift);
            break;
        case VK_HOME:
            f->home(shift);
            break;
        case VK_END:
            f->end(shift);
            break;
        case VK_DELETE:
            if (shift)
                f->cut();
            else
                f->del();
            break;
        case VK_INSERT:
            if (ctrl)
                f->copy();
            else if (shift)
                f->paste();
            break;
        default:
            break;
        }
        return 0;
    case WM_CHAR:
        switch (UINT(wp)) {
        case 8:
            f->backspace();
            break;
        case 1:
            f->selectAll();
            break;
        case 3:
            f->copy();
            break;
        case 22:
            f->paste();
            break;
        case 24:
            f->cut();
            break;
        case 26:
            f->undo();
            break;
        default:
            if (wp >= 32 && wp <= 255 && wp != 127)
                f->insert(
                    QString(QChar(char16_t(cp1252::toUnicode(static_cast<unsigned char>(wp))))));
            break;
        }
        return 0;
    case WM_SYSCHAR:
        return 0;
    default:
        return CWnd::DefWindowProc(msg, wp, lp);
    }
}

} // namespace tnv
