#include "browser/config.h"

#include "browser/text_lines.h"
#include "platform/base/fs.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace tnv::fleet {

namespace {

constexpr std::size_t kCurrencyLineChars = 253;

std::string cutLastComponent(const std::string& path) {
    auto pos = path.find_last_of('/');
    return pos == std::string::npos ? std::string() : path.substr(0, pos);
}

bool contains(std::string_view line, std::string_view key) {
    return line.find(key) != std::string_view::npos;
}

// What strncpy of `count` characters from `column` gave, less its last character (the line end
// when the value is short enough).
std::string valueAt(std::string_view line, std::size_t column, std::size_t count) {
    if (column >= line.size())
        return {};
    std::string_view value = line.substr(column, count);
    if (!value.empty())
        value.remove_suffix(1);
    return std::string(value);
}

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

} // namespace

const CurrencyEntry& DollarsEntry() {
    static const CurrencyEntry dollars{"Dollars", "$", 1, ',', 1.0f};
    return dollars;
}

BrowserConfig::BrowserConfig() {
    setCurrencyName("Dollars");
    std::int32_t one = 1;
    std::memcpy(record_.data() + kUnitFlagOffset, &one, sizeof one);
    resetCurrencies();
}

void BrowserConfig::SetBaseFromProgramPath(const std::string& programPath) {
    base_ = cutLastComponent(cutLastComponent(programPath));
}

void BrowserConfig::SetBaseFolder(const std::string& folder) {
    base_ = folder;
    while (base_.size() > 1 && base_.back() == '/')
        base_.pop_back();
}

std::string BrowserConfig::MakeBasePath(std::string_view relative) const {
    std::string rel(relative);
    std::replace(rel.begin(), rel.end(), '\\', '/');
    if (!rel.empty() && rel.front() == '/')
        return base_ + rel;
    return base_ + "/" + rel;
}

void BrowserConfig::setCurrencyName(std::string_view name) {
    // Like strcpy into the block: the terminating zero is written, the bytes after it stay.
    std::size_t room = kConfigRecordSize - kCurrencyNameOffset - 1;
    std::size_t n = std::min(name.size(), room);
    std::memcpy(record_.data() + kCurrencyNameOffset, name.data(), n);
    record_[kCurrencyNameOffset + n] = 0;
}

std::string BrowserConfig::currencyName() const {
    // The add-on may leave the name without its terminating zero: stop at the block's end.
    const unsigned char* begin = record_.data() + kCurrencyNameOffset;
    const unsigned char* end = record_.data() + kConfigRecordSize;
    const unsigned char* zero = std::find(begin, end, 0);
    return std::string(begin, zero);
}

std::int32_t BrowserConfig::unitFlag() const {
    const unsigned char* p = record_.data() + kUnitFlagOffset;
    std::uint32_t v = static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
                      static_cast<std::uint32_t>(p[2]) << 16 |
                      static_cast<std::uint32_t>(p[3]) << 24;
    return static_cast<std::int32_t>(v);
}

void BrowserConfig::ApplyConfigBytes(std::string_view bytes) {
    std::size_t n = std::min(bytes.size(), kConfigRecordSize);
    std::memcpy(record_.data(), bytes.data(), n);
}

void BrowserConfig::LoadOptions() {
    setCurrencyName("Dollars");
    std::int32_t one = 1;
    record_[kUnitFlagOffset] = static_cast<unsigned char>(one);
    record_[kUnitFlagOffset + 1] = record_[kUnitFlagOffset + 2] = record_[kUnitFlagOffset + 3] = 0;
    if (std::FILE* f = OpenCaseBlind(MakeBasePath("/config/config.cfg"))) {
        char block[kConfigRecordSize];
        std::size_t got = std::fread(block, 1, sizeof block, f);
        std::fclose(f);
        ApplyConfigBytes(std::string_view(block, got));
    }
    LoadCurrencies();
}

void BrowserConfig::resetCurrencies() {
    table_.fill(CurrencyEntry{"", "", 0, '\0', 0.0f});
    table_[0] = DollarsEntry();
    active_ = DollarsEntry();
    count_ = 1;
}

void BrowserConfig::LoadCurrencies() {
    resetCurrencies();
    // Read only: the add-on owns the file, and a read-only copy must still give its currencies.
    if (std::FILE* f = OpenCaseBlind(MakeBasePath("/config/money_currency.cfg"))) {
        ReadCurrencyBlocks(f);
        std::fclose(f);
    }
    std::string name = currencyName();
    if (!EqualNoCaseAscii(name, "Dollars"))
        SelectCurrency(name);
}

void BrowserConfig::ReadCurrencyBlocks(std::FILE* file) {
    TextLines lines(file);
    std::string_view line;
    // The next line, and whether it carries `key`.
    auto nextWith = [&](std::string_view key) {
        lines.next(line, kCurrencyLineChars);
        return contains(line, key);
    };
    // Each failed test consumes its line and starts over with the next one; a good block fills
    // the next slot.
    while (count_ < kMaxCurrencies && !lines.atEnd()) {
        if (!nextWith("Currencyname="))
            continue;
        CurrencyEntry entry;
        entry.name = valueAt(line, 13, kCurrencyNameChars + 1);
        if (entry.name.empty() || !nextWith("CurrencySign="))
            continue;
        entry.sign = valueAt(line, 13, kCurrencySignChars + 1);
        if (entry.sign.empty() || !nextWith("CurrencySignInFront="))
            continue;
        entry.signInFront = contains(line, "CurrencySignInFront=TRUE") ? 1 : 0;
        // A line that ends right after the key has no separator.
        if (!nextWith("CurrencySeparator=") || line.size() <= 18 || line[18] == '\n')
            continue;
        entry.separator = line[18];
        if (!nextWith("CurrencyExchangeWithDollars="))
            continue;
        double rate = line.size() > 28 ? ReadDecimal(line.substr(28)) : 0.0;
        if (!(rate >= 0.1 && rate <= 30.0))
            continue;
        entry.exchangeWithDollars = static_cast<float>(rate);
        table_[static_cast<std::size_t>(count_++)] = std::move(entry);
    }
}

bool BrowserConfig::SelectCurrency(std::string_view name) {
    for (int i = 0; i < count_; ++i) {
        const CurrencyEntry& e = table_[static_cast<std::size_t>(i)];
        if (EqualNoCaseAscii(e.name, name)) {
            active_ = e;
            setCurrencyName(e.name);
            return true;
        }
    }
    return false;
}

std::FILE* OpenCaseBlind(const std::string& path) {
    return fsx::openRegularStream(fsx::resolvePath(path));
}

bool EqualNoCaseAscii(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

double ReadDecimal(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    // Only plain decimal notation: no hexadecimal, no "inf" or "nan", whatever the locale.
    std::size_t start = i;
    while (i < text.size() && ((text[i] >= '0' && text[i] <= '9') || text[i] == '.' ||
                               text[i] == 'e' || text[i] == 'E' ||
                               ((text[i] == '+' || text[i] == '-') && i > start &&
                                (text[i - 1] == 'e' || text[i - 1] == 'E'))))
        ++i;
    double value = 0.0;
    auto [end, ec] =
        std::from_chars(text.data() + start, text.data() + i, value, std::chars_format::general);
    if (ec != std::errc() || end == text.data() + start)
        return 0.0;
    return negative ? -value : value;
}

std::int32_t ReadInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    std::int64_t value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        value = value * 10 + (text[i++] - '0');
        if (value > 2147483648LL)
            value = 2147483648LL;
    }
    if (negative)
        return static_cast<std::int32_t>(-value);
    return static_cast<std::int32_t>(std::min<std::int64_t>(value, 2147483647));
}

} // namespace tnv::fleet
