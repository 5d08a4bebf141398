#include "platform/base/locale_text.h"

#include "platform/base/codepage.h"
#include "platform/base/fs.h"

#include <climits>
#include <cwchar>
#include <locale.h>

namespace tnv {

namespace localetext {
namespace {

// The user's character encoding, without setting the process's locale: nothing else in the
// programs changes with it.
locale_t userCtype() {
    static locale_t ctype = [] {
        locale_t made = newlocale(LC_CTYPE_MASK, "", locale_t(nullptr));
        return made ? made : newlocale(LC_CTYPE_MASK, "C", locale_t(nullptr));
    }();
    return ctype;
}

bool undefinedInCodePage(unsigned char byte) {
    return byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D;
}

} // namespace

std::string FromText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    locale_t ctype = userCtype();
    locale_t previous = ctype ? uselocale(ctype) : locale_t(nullptr);
    std::mbstate_t state{};
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            out += c;
            continue;
        }
        char buffer[MB_LEN_MAX];
        std::size_t n = undefinedInCodePage(byte)
                            ? std::size_t(-1)
                            : std::wcrtomb(buffer, wchar_t(cp1252::toUnicode(byte)), &state);
        if (n == std::size_t(-1)) {
            out += '?';
            state = std::mbstate_t{};
        } else {
            out.append(buffer, n);
        }
    }
    if (ctype)
        uselocale(previous);
    return out;
}

std::string FromMessage(std::string_view text) {
    std::string message(text);
    bool passedThrough = false;
    for (char c : message)
        passedThrough = passedThrough || static_cast<unsigned char>(c) >= 0x80;
    // A code-page text changes on its way to the disk's form; a disk name passed through does not.
    if (passedThrough && fsx::toDisk(message) == message)
        return message;
    return FromText(message);
}

} // namespace localetext

} // namespace tnv
