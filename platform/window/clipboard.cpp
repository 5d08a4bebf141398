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

BOOL SetClipboardText8(const std::string& text) {
    QClipboard* clip = systemClipboard();
    if (!clip)
        return FALSE;
    clip->setText(qtbridge::toQString(text));
    return TRUE;
}

BOOL GetClipboardText8(std::string* out) {
    QClipboard* clip = systemClipboard();
    if (!clip || !out)
        return FALSE;
    const QMimeData* data = clip->mimeData();
    if (!data || !data->hasText())
        return FALSE;
    std::string text = qtbridge::fromQString(data->text());
    if (std::size_t zero = text.find('\0'); zero != std::string::npos)
        text.resize(zero);
    *out = std::move(text);
    return TRUE;
}

std::string GetClipboardText8() {
    std::string text;
    GetClipboardText8(&text);
    return text;
}

BOOL IsClipboardTextAvailable() {
    QClipboard* clip = systemClipboard();
    if (!clip)
        return FALSE;
    const QMimeData* data = clip->mimeData();
    return data && data->hasText() ? TRUE : FALSE;
}

} // namespace tnv
