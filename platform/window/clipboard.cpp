#include "platform/window/clipboard.h"

#include "platform/qt/qtbridge.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace tnv {

static QClipboard* systemClipboard() {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return nullptr;
    return QGuiApplication::clipboard();
}

bool SetClipboardText8(const std::string& text) {
    QClipboard* clip = systemClipboard();
    if (!clip)
        return false;
    clip->setText(qtbridge::toQString(text));
    return true;
}

bool GetClipboardText8(std::string* out) {
    QClipboard* clip = systemClipboard();
    if (!clip || !out)
        return false;
    const QMimeData* data = clip->mimeData();
    if (!data || !data->hasText())
        return false;
    std::string text = qtbridge::fromQString(data->text());
    if (std::size_t zero = text.find('\0'); zero != std::string::npos)
        text.resize(zero);
    *out = std::move(text);
    return true;
}

std::string GetClipboardText8() {
    std::string text;
    GetClipboardText8(&text);
    return text;
}

bool IsClipboardTextAvailable() {
    QClipboard* clip = systemClipboard();
    if (!clip)
        return false;
    const QMimeData* data = clip->mimeData();
    return data && data->hasText() ? true : false;
}

} // namespace tnv
