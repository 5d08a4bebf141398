// Where the browser's files are, and the add-on's settings it shows prices with: the chosen
// currency and unit of weight from config.cfg, and the currencies of money_currency.cfg. Nothing
// here is ever written back to disk.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace tnv::fleet {

constexpr int kMaxCurrencies = 20;
constexpr std::size_t kCurrencyNameChars = 28;
constexpr std::size_t kCurrencySignChars = 4;

// The add-on's binary settings block: only two fields of it are ours to read.
constexpr std::size_t kConfigRecordSize = 1265;
constexpr std::size_t kCurrencyNameOffset = 285;
constexpr std::size_t kUnitFlagOffset = 503;

struct CurrencyEntry {
    std::string name;
    std::string sign;
    std::int32_t signInFront = 1; // 1: "$100", 0: "100 EUR"
    char separator = ',';
    float exchangeWithDollars = 1.0f; // amount in this currency = dollars / this
};

const CurrencyEntry& DollarsEntry();

// Folder names use '/' inside the program; the relative paths of the add-on's files may be
// written with either slash.
class BrowserConfig {
public:
    BrowserConfig();

    // The program lives in the add-on's bin folder: the add-on's folder is its path with the
    // file name and the bin folder cut off. Both paths are 8-bit.
    void SetBaseFromProgramPath(const std::string& programPath);
    // The add-on's folder named directly.
    void SetBaseFolder(const std::string& folder);
    const std::string& baseFolder() const { return base_; }

    // `relative` joined onto the base folder (an 8-bit path, letter case as written).
    std::string MakeBasePath(std::string_view relative) const;

    // The settings block defaults, config.cfg laid over them, then the currencies.
    void LoadOptions();
    // The first bytes of the settings block replaced by `bytes` (at most the block's size).
    void ApplyConfigBytes(std::string_view bytes);
    // The currency table from money_currency.cfg, and the active currency chosen from it.
    void LoadCurrencies();
    // The currency blocks of an open money_currency.cfg appended after Dollars.
    void ReadCurrencyBlocks(std::FILE* file);
    // Makes the first currency whose name matches (letter case aside) the active one. False when
    // none does; the active currency is then unchanged.
    bool SelectCurrency(std::string_view name);

    std::string currencyName() const;
    std::int32_t unitFlag() const;
    bool weightsInPounds() const { return unitFlag() == 1; }
    int currencyCount() const { return count_; }
    const CurrencyEntry& currency(int i) const { return table_.at(static_cast<std::size_t>(i)); }
    const CurrencyEntry& activeCurrency() const { return active_; }

private:
    void setCurrencyName(std::string_view name);
    void resetCurrencies();

    std::string base_;
    std::array<unsigned char, kConfigRecordSize> record_{};
    std::array<CurrencyEntry, kMaxCurrencies> table_;
    int count_ = 1;
    CurrencyEntry active_;
};

// Opens an 8-bit path for binary reading, each component found whatever its letter case on
// disk (a copied simulator has Config.CFG as often as config.cfg).
std::FILE* OpenCaseBlind(const std::string& path);

// Equal when only the letter case of ASCII letters differs; other bytes compare as they are.
bool EqualNoCaseAscii(std::string_view a, std::string_view b);

// The number at the start of `text` the way atof reads it: leading white space, an optional
// sign, digits with an optional fraction and exponent; 0 when there is none.
double ReadDecimal(std::string_view text);
// The integer at the start of `text` the way atoi reads it, held to the 32-bit range.
std::int32_t ReadInteger(std::string_view text);

} // namespace tnv::fleet
