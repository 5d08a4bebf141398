#include "platform/dialogs/dialog.h"

#include "platform/base/codepage.h"
#include "platform/base/contrast.h"
#include "platform/base/fs_write.h"
#include "platform/dialogs/dialog_units.h"
#include "platform/qt/qtbridge.h"

#include <QApplication>
#include <QBuffer>
#include <QCloseEvent>
#include <QDialog>
#include <QElapsedTimer>
#include <QFont>
#include <QFontMetrics>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QThread>

#include <algorithm>
#include <cstdlib>
#include <map>

namespace tnv {

namespace {

// The text of an edit box as given.
constexpr const char* kEditText = "tnvText";

std::string fromQ(const QString& text) {
    std::string out;
    for (char32_t cp : text.toStdU32String()) {
        int byte = cp1252::fromUnicode(cp);
        out += static_cast<char>(byte < 0 ? '?' : byte);
    }
    return out;
}

// An edit box shows its text with CR LF as line breaks and keeps it as given: what was set is what
// it holds (the document would turn no-break spaces into spaces, and typing is never read back).
void setEditText(QPlainTextEdit* edit, const std::string& text) {
    QString shown = qtbridge::toQString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    edit->setPlainText(shown);
    edit->setProperty(kEditText, qtbridge::toQString(text));
}

QColor toQColor(COLORREF c) {
    return QColor(int(GetRValue(c)), int(GetGValue(c)), int(GetBValue(c)));
}

QFont toQFont(const FontDesc& lf) {
    QFont font(qtbridge::toQString(std::string(lf.faceName, strnlen(lf.faceName, LF_FACESIZE))));
    // A negative height is the character height (the em), a positive one the cell height.
    int height = lf.height == 0 ? -11 : lf.height;
    font.setPixelSize(std::max(1, std::abs(height)));
    if (height > 0) {
        int cell = QFontMetrics(font).height();
        if (cell > 0)
            font.setPixelSize(std::max(1, MulDiv(height, height, cell)));
    }
    int weight = lf.weight == 0 ? FW_NORMAL : std::clamp(lf.weight, 1, 1000);
    font.setWeight(static_cast<QFont::Weight>(weight));
    font.setItalic(lf.italic != 0);
    font.setUnderline(lf.underline != 0);
    font.setStrikeOut(lf.strikeOut != 0);
    return font;
}

// A static text that draws with its own font and colours: the background brush filled first,
// then the text over it with no background of its own.
class TextControl : public QWidget {
public:
    TextControl(QWidget* parent, UINT style) : QWidget(parent), style_(style) {}
    QString text;
    QColor textColor; // invalid: the palette's
    QColor backColor; // invalid: the dialog's own background shows through
    bool ownFont = false;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        if (backColor.isValid())
            p.fillRect(rect(), backColor);
        p.setPen(penColor());
        p.setFont(font());
        int align = (style_ & 0x3) == SS_CENTER  ? Qt::AlignHCenter
                    : (style_ & 0x3) == SS_RIGHT ? Qt::AlignRight
                                                 : Qt::AlignLeft;
        p.drawText(rect(), align | Qt::AlignTop | Qt::TextWordWrap, text);
    }

private:
    // On a background of its own, the palette's text (light on a dark desktop) may not read:
    // black or white then, whichever reads better.
    QColor penColor() const {
        if (textColor.isValid())
            return textColor;
        if (backColor.isValid())
            return qtbridge::toQColor(contrast::textOn(qtbridge::fromQColor(backColor)));
        return palette().color(QPalette::WindowText);
    }

    UINT style_;
};

} // namespace

class DialogWindow;

struct CDialog::Impl {
    CDialog* owner = nullptr;
    DlgTemplate tmpl;
    // Owned here; gone early only if the window it belongs to was destroyed first.
    QPointer<DialogWindow> window;
    std::map<int, QWidget*> items;
    int result = IDCANCEL;
    bool open = false;
    dialogunits::Units units;

    QRect toPixels(const DlgControl& c) const { return units.rect(c.x, c.y, c.cx, c.cy); }
    QWidget* item(int id) const {
        auto it = items.find(id);
        return it == items.end() ? nullptr : it->second;
    }
    bool build();
};

class DialogWindow : public QDialog {
public:
    DialogWindow(CDialog::Impl* impl, QWidget* owner) : QDialog(owner), impl_(impl) {}
    void reject() override { impl_->owner->OnCancel(); }

private:
    CDialog::Impl* impl_;
};

bool CDialog::Impl::build() {
    if (!qApp)
        return false;
    delete window;
    items.clear();
    // Over the window it was opened from, as its own: centred on it, and kept above it by the
    // desktop.
    window = new DialogWindow(this, QApplication::activeWindow());
    window->setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    window->setWindowTitle(qtbridge::toQString(tmpl.caption));
    window->setFont(dialogunits::font(tmpl.fontFace, tmpl.fontPoints));
    units = dialogunits::Units(tmpl.fontFace, tmpl.fontPoints);
    window->setFixedSize(units.x(tmpl.cx), units.y(tmpl.cy));

    for (const DlgControl& c : tmpl.controls) {
        QRect r = toPixels(c);
        QWidget* w = nullptr;
        switch (c.kind) {
        case DlgKind::Picture: {
            auto* label = new QLabel(window);
            QPixmap pixmap(qtbridge::toQString(c.text));
            label->setPixmap(pixmap);
            if (!pixmap.isNull())
                r.setSize(pixmap.size());
            w = label;
            break;
        }
        case DlgKind::Text: {
            auto* text = new TextControl(window, c.style);
            text->text = qtbridge::toQString(c.text);
            w = text;
            break;
        }
        case DlgKind::Button: {
            auto* button = new QPushButton(qtbridge::toQString(c.text), window);
            button->setAutoDefault(true);
            button->setDefault((c.style & BS_DEFPUSHBUTTON) != 0);
            int id = c.id;
            QObject::connect(button, &QPushButton::clicked, window,
                             [this, id] { owner->OnCommand(id); });
            w = button;
            break;
        }
        case DlgKind::Edit: {
            auto* edit = new QPlainTextEdit(window);
            edit->setReadOnly(!(c.style & ES_WANTRETURN));
            edit->setTabChangesFocus(true);
            if (c.style & WS_VSCROLL)
                edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            setEditText(edit, c.text);
            w = edit;
            break;
        }
        }
        w->setGeometry(r);
        if (c.id != IDC_STATIC)
            items[c.id] = w;
    }
    return true;
}

CDialog::CDialog(DlgTemplate tmpl) : d_(std::make_unique<Impl>()) {
    d_->owner = this;
    d_->tmpl = std::move(tmpl);
}

CDialog::~CDialog() {
    delete d_->window;
}

bool CDialog::Create() {
    if (!d_->build())
        return false;
    d_->open = true;
    d_->result = IDCANCEL;
    bool setFocus = OnInitDialog();
    if (!d_->open)
        return true; // ended while it was being set up
    d_->window->show();
    if (setFocus) {
        for (const DlgControl& c : d_->tmpl.controls) {
            if (c.kind == DlgKind::Button && (c.style & BS_DEFPUSHBUTTON) && d_->item(c.id)) {
                d_->item(c.id)->setFocus();
                break;
            }
        }
    }
    return true;
}

int CDialog::DoModal() {
    if (!d_->build())
        return -1;
    d_->open = true;
    d_->result = IDCANCEL;
    d_->window->setModal(true);
    bool setFocus = OnInitDialog();
    if (!d_->open)
        return d_->result;
    if (setFocus) {
        for (const DlgControl& c : d_->tmpl.controls)
            if (c.kind == DlgKind::Button && (c.style & BS_DEFPUSHBUTTON) && d_->item(c.id))
                d_->item(c.id)->setFocus();
    }
    d_->window->exec();
    return d_->result;
}

void CDialog::EndDialog(int result) {
    d_->result = result;
    d_->open = false;
    if (d_->window)
        d_->window->done(result);
}

bool CDialog::IsOpen() const {
    return d_->open;
}
int CDialog::Result() const {
    return d_->result;
}

bool CDialog::OnInitDialog() {
    return true;
}

void CDialog::OnCommand(int id) {
    if (id == IDOK)
        OnOK();
    else if (id == IDCANCEL)
        OnCancel();
}

void CDialog::OnOK() {
    EndDialog(IDOK);
}
void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDialog::SetDlgItemText(int id, const std::string& text) {
    QWidget* w = d_->item(id);
    if (auto* t = dynamic_cast<TextControl*>(w)) {
        t->text = qtbridge::toQString(text);
        if (t->isVisible())
            t->repaint();
    } else if (auto* b = dynamic_cast<QPushButton*>(w)) {
        b->setText(qtbridge::toQString(text));
    } else if (auto* e = dynamic_cast<QPlainTextEdit*>(w)) {
        setEditText(e, text);
    }
}

std::string CDialog::GetDlgItemText(int id) const {
    QWidget* w = d_->item(id);
    if (auto* t = dynamic_cast<TextControl*>(w))
        return fromQ(t->text);
    if (auto* b = dynamic_cast<QPushButton*>(w))
        return fromQ(b->text());
    if (auto* e = dynamic_cast<QPlainTextEdit*>(w))
        return fromQ(e->property(kEditText).toString());
    return {};
}

void CDialog::EnableDlgItem(int id, bool enable) {
    if (QWidget* w = d_->item(id))
        w->setEnabled(enable);
}

bool CDialog::IsDlgItemEnabled(int id) const {
    QWidget* w = d_->item(id);
    return w && w->isEnabled();
}

void CDialog::GotoDlgCtrl(int id) {
    if (QWidget* w = d_->item(id))
        w->setFocus(Qt::OtherFocusReason);
}

int CDialog::GetFocusId() const {
    if (!d_->window)
        return IDC_STATIC;
    QWidget* focus = d_->window->focusWidget();
    for (const auto& [id, w] : d_->items)
        if (w == focus)
            return id;
    return IDC_STATIC;
}

Rect CDialog::GetItemRect(int id) const {
    QWidget* w = d_->item(id);
    if (!w)
        return {};
    QRect r = w->geometry();
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

Size CDialog::GetClientSize() const {
    if (!d_->window)
        return {};
    return {d_->window->width(), d_->window->height()};
}

void CDialog::SetItemFont(int id, const FontDesc& font) {
    if (QWidget* w = d_->item(id))
        w->setFont(toQFont(font));
}

void CDialog::SetItemColors(int id, COLORREF text, COLORREF back) {
    if (auto* t = dynamic_cast<TextControl*>(d_->item(id))) {
        t->textColor = text == CLR_DEFAULT ? QColor() : toQColor(text);
        t->backColor = back == CLR_DEFAULT ? QColor() : toQColor(back);
    }
}

void CDialog::RedrawItem(int id, bool now) {
    QWidget* w = d_->item(id);
    if (!w)
        return;
    if (now && w->isVisible())
        w->repaint();
    else
        w->update();
}

void CDialog::SetItemImage(int id, const char* const* xpm) {
    auto* label = dynamic_cast<QLabel*>(d_->item(id));
    if (!label || !xpm)
        return;
    QPixmap pixmap(xpm);
    label->setPixmap(pixmap);
    if (!pixmap.isNull())
        label->resize(pixmap.size());
}

void CDialog::SetIcon(const std::string& image) {
    if (d_->window)
        d_->window->setWindowIcon(QIcon(qtbridge::toQString(image)));
}

std::string CDialog::Caption() const {
    return d_->window ? fromQ(d_->window->windowTitle()) : d_->tmpl.caption;
}

QWidget* CDialog::widget() const {
    return d_->window;
}

bool CDialog::SaveImage(const std::string& pngPath) const {
    if (!d_->window)
        return false;
    // Encoded in memory, then written whole or not at all.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !d_->window->grab().save(&buffer, "PNG"))
        return false;
    return fsx::writeFile(pngPath, std::string_view(bytes.constData(), std::size_t(bytes.size())),
                          nullptr, fsx::WriteOptions::NamedOutput()) == fsx::WriteStatus::Written;
}

void CDialog::ClickItem(int id) {
    QWidget* w = d_->item(id);
    if (!w)
        return;
    QPointF local(w->width() / 2.0, w->height() / 2.0);
    QPointF global = w->mapToGlobal(local);
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(w, &release);
}

void CDialog::PressKey(UINT vk) {
    if (!d_->window)
        return;
    static const std::map<UINT, int> keys{{VK_RETURN, Qt::Key_Return}, {VK_ESCAPE, Qt::Key_Escape},
                                          {VK_TAB, Qt::Key_Tab},       {VK_SPACE, Qt::Key_Space},
                                          {VK_LEFT, Qt::Key_Left},     {VK_RIGHT, Qt::Key_Right},
                                          {VK_UP, Qt::Key_Up},         {VK_DOWN, Qt::Key_Down}};
    auto it = keys.find(vk);
    int key = it != keys.end() ? it->second : static_cast<int>(vk);
    QString text = key == Qt::Key_Return ? "\r" : key == Qt::Key_Space ? " " : QString();
    QWidget* target = d_->window->focusWidget() ? d_->window->focusWidget() : d_->window;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    if (d_->window->isVisible()) {
        QWidget* now = d_->window->focusWidget() ? d_->window->focusWidget() : d_->window;
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
        QApplication::sendEvent(now, &release);
    }
}

bool CDialog::WaitActive(int ms) {
    if (!d_->window)
        return false;
    d_->window->activateWindow();
    QElapsedTimer timer;
    timer.start();
    while (!d_->window->isActiveWindow() && timer.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(5);
    }
    return d_->window->isActiveWindow();
}

void CDialog::ProcessEvents() {
    QCoreApplication::processEvents();
}

FontDesc DefaultGuiFont() {
    FontDesc font;
    font.height = -11;
    font.weight = FW_NORMAL;
    font.setFaceName("MS Shell Dlg");
    return font;
}

} // namespace tnv
