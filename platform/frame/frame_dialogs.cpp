// The small modal dialogs of the frame, laid out in dialog units.
#include "platform/dialogs/dialog_units.h"
#include "platform/frame/frame.h"
#include "platform/qt/qtbridge.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>

namespace tnv {

namespace {

using dialogunits::Units;

// Names, titles and sizes the dialog in the units of its font, and gives those units.
Units setUp(QDialog& dialog, const char* name, const std::string& title, Size size,
            const DialogFontDesc& font) {
    dialog.setObjectName(QString::fromLatin1(name));
    dialog.setWindowTitle(qtbridge::toQString(title));
    dialog.setFont(dialogunits::font(font.face, font.points));
    Units du(font.face, font.points);
    dialog.setFixedSize(du.x(size.cx), du.y(size.cy));
    return du;
}

QString crlfToQt(const std::string& text) {
    QString out = qtbridge::toQString(text);
    out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return out;
}

} // namespace

void ShowTextDialog(const TextDialogDesc& desc) {
    QDialog dialog(QApplication::activeWindow());
    Units du = setUp(dialog, "TextDialog", desc.title, desc.size, desc.font);
    int margin = (desc.size.cx - desc.editSize.cx) / 2;
    auto* edit = new QPlainTextEdit(&dialog);
    edit->setObjectName(QStringLiteral("edit"));
    edit->setGeometry(du.rect(margin, margin, desc.editSize.cx, desc.editSize.cy));
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    edit->setPlainText(crlfToQt(desc.text));
    // Enter makes a new line in the edit; Tab goes on to OK, where Enter closes.
    edit->setTabChangesFocus(true);
    auto* ok = new QPushButton(QStringLiteral("OK"), &dialog);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setGeometry(du.rect(margin, desc.size.cy - desc.buttonSize.cy - margin / 2 - 1,
                            desc.buttonSize.cx, desc.buttonSize.cy));
    ok->setAutoDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    edit->setFocus();
    dialog.exec();
}

void ShowAboutDialog(const AboutDialogDesc& desc) {
    QDialog dialog(QApplication::activeWindow());
    Units du = setUp(dialog, "AboutDialog", desc.title, desc.size, desc.font);
    if (desc.iconXpm) {
        auto* icon = new QLabel(&dialog);
        icon->setObjectName(QStringLiteral("icon"));
        icon->setPixmap(QPixmap(desc.iconXpm));
        icon->setGeometry(du.x(11), du.y(17), 32, 32);
    }
    auto* line1 = new QLabel(qtbridge::toQString(desc.line1), &dialog);
    line1->setObjectName(QStringLiteral("line1"));
    line1->setGeometry(du.rect(40, 10, desc.size.cx - 40 - 50, 8));
    auto* line2 = new QLabel(qtbridge::toQString(desc.line2), &dialog);
    line2->setObjectName(QStringLiteral("line2"));
    // Below the OK button the second line may run to the right margin.
    line2->setGeometry(du.rect(40, 25, desc.size.cx - 40 - 7, 8));
    auto* ok = new QPushButton(QStringLiteral("OK"), &dialog);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setGeometry(du.rect(desc.size.cx - 39, 7, 32, 14));
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    dialog.exec();
}

} // namespace tnv
