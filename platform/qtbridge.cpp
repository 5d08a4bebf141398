#include "platform/qtbridge.h"

#include "platform/codepage.h"

namespace qtbridge {

QString toQString(const std::string& cp1252Text) {
    QString out;
    out.reserve(int(cp1252Text.size()));
    for (unsigned char b : cp1252Text)
        out.append(QChar(char16_t(cp1252::toUnicode(b))));
    return out;
}

std::string fromQString(const QString& text) {
    std::string out;
    out.reserve(std::size_t(text.size()));
    for (char32_t cp : text.toUcs4()) {
        int b = cp1252::fromUnicode(cp);
        out.push_back(b < 0 ? '?' : char(b));
    }
    return out;
}

} // namespace qtbridge
