// The small modal dialogs of the frame, laid out in dialog units.
#include "platform/frame.h"
#include "platform/qtbridge.h"

#include <QApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

// Dialog units: a quarter of the font's average character width across, an eighth of its height
// down.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font) {
        QFontMetrics metrics(font);
        const QString sample =
            QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
        baseX_ = (metrics.horizontalAdvance(sample) / 26 + 1) / 2;
        baseY_ = metrics.height();
        if (baseX_ <= 0)
            baseX_ = 6;
        if (baseY_ <= 0)
            baseY_ = 13;
    }
    int x(int units) const { return units * baseX_ / 4; }
    int y(int units) const { return units * baseY_ / 8; }
    QRect rect(int left, int top, int width, int height) const {
        return QRect(x(left), y(top), x(width), y(height));
    }

private:
    int baseX_ = 6;
    int baseY_ = 13;
};

QFont dialogFont(const DialogFontDesc& desc) {
    QFont font(qtbridge::toQString(desc.face));
    font.setPointSize(desc.points > 0 ? desc.points : 8);
    return font;
}

QString crlfToQt(const std::string& text) {
    QString out = qtbridge::toQString(text);
    out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return out;
}

} // namespace

void ShowTextDialog(const TextDialogDesc& desc) {
    QDialog dialog(QApplication::activeWindow());
    dialog.setObjectName(QStringLiteral("TextDialog"));
    dialog.setWindowTitle(qtbridge::toQString(desc.title));
    QFont font = dialogFont(desc.font);
    dialog.setFont(font);
    DialogUnits du(font);
    dialog.setFixedSize(du.x(desc.size.cx), du.y(desc.size.cy));
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
    dialog.setObjectName(QStringLiteral("AboutDialog"));
    dialog.setWindowTitle(qtbridge::toQString(desc.title));
    QFont font = dialogFont(desc.font);
    dialog.setFont(font);
    DialogUnits du(font);
    dialog.setFixedSize(du.x(desc.size.cx), du.y(desc.size.cy));
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
