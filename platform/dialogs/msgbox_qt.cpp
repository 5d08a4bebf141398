#include "platform/dialogs/msgbox_qt.h"

#include "platform/qt/qtbridge.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QString>

#include <vector>

namespace tnv {

namespace {

QMessageBox::Icon iconFor(UINT flags) {
    switch (flags & MB_ICONMASK) {
    case MB_ICONERROR:
        return QMessageBox::Critical;
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    case MB_ICONWARNING:
        return QMessageBox::Warning;
    case MB_ICONINFORMATION:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

// A box that may have no escape answer: a Yes/No question must be answered with a button, so
// Escape and the close box do nothing there.
class AnswerBox : public QMessageBox {
public:
    AnswerBox(Icon icon, const QString& title, const QString& text, QWidget* parent, bool escapable)
        : QMessageBox(icon, title, text, NoButton, parent), escapable_(escapable) {
        if (!escapable_) {
            Qt::WindowFlags f = windowFlags() | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
            setWindowFlags(f & ~Qt::WindowCloseButtonHint);
        }
    }

protected:
    void keyPressEvent(QKeyEvent* e) override {
        if (!escapable_ && e->matches(QKeySequence::Cancel)) {
            e->accept();
            return;
        }
        QMessageBox::keyPressEvent(e);
    }
    void closeEvent(QCloseEvent* e) override {
        if (!escapable_) {
            e->ignore();
            return;
        }
        QMessageBox::closeEvent(e);
    }

private:
    bool escapable_;
};

} // namespace

QtMessageBox::QtMessageBox() : previous_(SetMessageBoxService(this)) {}

QtMessageBox::~QtMessageBox() {
    SetMessageBoxService(previous_);
}

int QtMessageBox::show(const std::string& text, const std::string& title, UINT flags) {
    UINT type = flags & MB_TYPEMASK;
    AnswerBox box(iconFor(flags), qtbridge::toQString(title), qtbridge::toQString(text),
                  QApplication::activeWindow(), type != MB_YESNO);
    struct Choice {
        QMessageBox::StandardButton button;
        int id;
    };
    std::vector<Choice> choices;
    switch (type) {
    case MB_OKCANCEL:
        choices = {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}};
        break;
    case MB_YESNO:
        choices = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}};
        break;
    case MB_YESNOCANCEL:
        choices = {
            {QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}};
        break;
    default:
        choices = {{QMessageBox::Ok, IDOK}};
        break;
    }
    for (const Choice& c : choices)
        box.addButton(c.button);
    int defaultId = DefaultButton(flags);
    for (const Choice& c : choices) {
        if (c.id == defaultId)
            box.setDefaultButton(c.button);
    }
    // Escape answers Cancel where there is one, and OK on a box that has only OK; a Yes/No
    // question must be answered.
    if (box.button(QMessageBox::Cancel))
        box.setEscapeButton(QMessageBox::Cancel);
    else if (type == MB_OK)
        box.setEscapeButton(QMessageBox::Ok);
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    for (const Choice& c : choices) {
        if (clicked && clicked == box.button(c.button))
            return c.id;
    }
    // Closed some other way (window manager): the safe answer.
    if (box.button(QMessageBox::Cancel))
        return IDCANCEL;
    if (box.button(QMessageBox::No))
        return IDNO;
    return IDOK;
}

} // namespace tnv
