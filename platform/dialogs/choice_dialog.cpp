#include "platform/dialogs/choice_dialog.h"

#include "platform/qt/qtbridge.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFontMetrics>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace tnv {

std::optional<int> ShowChoiceDialog(const ChoiceDialogDesc& desc) {
    if (desc.folders.empty())
        return std::nullopt;
    QDialog dialog(QApplication::activeWindow());
    dialog.setObjectName(QStringLiteral("ChoiceDialog"));
    dialog.setWindowTitle(qtbridge::toQString(desc.title));
    auto* layout = new QVBoxLayout(&dialog);
    auto* prompt = new QLabel(qtbridge::toQString(desc.prompt), &dialog);
    prompt->setWordWrap(true);
    layout->addWidget(prompt);

    auto* list = new QListWidget(&dialog);
    list->setObjectName(QStringLiteral("choices"));
    list->setAccessibleName(qtbridge::toQString(desc.accessibleName));
    int widest = 0;
    const QFontMetrics metrics(list->font());
    for (const std::string& folder : desc.folders) {
        QString shown = QFile::decodeName(QByteArray::fromStdString(folder));
        list->addItem(shown);
        widest = std::max(widest, metrics.horizontalAdvance(shown));
    }
    list->setCurrentRow(std::clamp(desc.current, 0, int(desc.folders.size()) - 1));
    prompt->setBuddy(list);
    layout->addWidget(list);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(qtbridge::toQString(desc.okText));
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, &QDialog::accept);
    layout->addWidget(buttons);

    // Wide enough for the longest folder where the screen allows, tall enough for a few.
    int screenWidth = dialog.screen() ? dialog.screen()->availableGeometry().width() : 1024;
    int rows = std::clamp(int(desc.folders.size()), 3, 8);
    list->setMinimumHeight(rows * list->sizeHintForRow(0) + 2 * list->frameWidth() + 4);
    dialog.resize(std::clamp(widest + 80, 420, screenWidth * 9 / 10),
                  dialog.minimumSizeHint().height());
    list->setFocus();
    if (dialog.exec() != QDialog::Accepted || list->currentRow() < 0)
        return std::nullopt;
    return list->currentRow();
}

} // namespace tnv
