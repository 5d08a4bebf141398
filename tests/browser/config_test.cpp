#include "browser/config.h"
#include "tests/support/sim_folder.h"

#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tnv;
using namespace tnv::fleet;

using testsupport::writeFile;

namespace {

std::string block(const std::string& name, const std::string& sign = "EUR",
                  const std::string& front = "TRUE", const std::string& sep = ".",
                  const std::string& rate = "1") {
    return "Currencyname=" + name + "\nCurrencySign=" + sign + "\nCurrencySignInFront=" + front +
           "\nCurrencySeparator=" + sep + "\nCurrencyExchangeWithDollars=" + rate + "\n";
}

// An add-on folder in a simulator folder, with its settings files.
struct AddOn : testsupport::SimFolder {
    void configCfg(const std::string& bytes) const {
        writeFile(dir.mkdir("Sim/Tarnavel/config") + "/config.cfg", bytes);
    }
    BrowserConfig load() const {
        BrowserConfig c;
        c.SetBaseFolder(base);
        c.LoadOptions();
        return c;
    }
};

std::string record(std::size_t size, const std::string& name, std::int32_t unit) {
    std::string bytes(size, '\0');
    if (size > kCurrencyNameOffset)
        bytes.replace(kCurrencyNameOffset, std::min(name.size(), size - kCurrencyNameOffset), name,
                      0, size - kCurrencyNameOffset);
    if (size >= kUnitFlagOffset + 4)
        std::memcpy(bytes.data() + kUnitFlagOffset, &unit, 4);
    return bytes;
}

} // namespace

TEST(BrowserPaths, BaseFolderIsTheProgramPathLessTwoComponents) {
    BrowserConfig c;
    c.SetBaseFromProgramPath("/games/fs9/Tarnavel/bin/FleetValuer");
    EXPECT_EQ(c.baseFolder(), "/games/fs9/Tarnavel");
    EXPECT_EQ(c.MakeBasePath("\\config\\config.cfg"), "/games/fs9/Tarnavel/config/config.cfg");
    EXPECT_EQ(c.MakeBasePath("/bin/FleetScout.txt"), "/games/fs9/Tarnavel/bin/FleetScout.txt");
    EXPECT_EQ(c.MakeBasePath("config"), "/games/fs9/Tarnavel/config");

    c.SetBaseFolder("/games/fs9/Tarnavel//");
    EXPECT_EQ(c.baseFolder(), "/games/fs9/Tarnavel");
    c.SetBaseFromProgramPath("FleetValuer"); // nothing to cut: no crash, an empty base
    EXPECT_EQ(c.baseFolder(), "");
}

// What the settings block and the currency file give: the unit flag, the currency the block
// names (in the entry's letter case when there is one) and the one prices are shown in.
TEST(BrowserConfig, SettingsBlockAndCurrencies) {
    const std::string euro = block("Euro", "EUR", "FALSE", ".", "0.9");
    const std::string two = euro + block("Pound", "GBP", "TRUE", ",", "0.7");
    const std::size_t full = kConfigRecordSize;
    const struct {
        const char* what;
        std::string currencies, config; // "": no such file
        std::int32_t unit;
        std::string name;
        const char *active, *sign;
        int count;
    } rows[] = {
        {"no files", "", "", 1, "Dollars", "Dollars", "$", 1},
        {"whole block", euro, record(full, "Euro", 0), 0, "Euro", "Euro", "EUR", 2},
        {"anything but 1 is kilograms", euro, record(full, "Euro", 2), 2, "Euro", "Euro", "EUR", 2},
        {"a short file keeps the unit", euro, record(300, "Euro", 0), 1, "Euro", "Euro", "EUR", 2},
        {"a longer file is read to the block's size", euro,
         record(full, "Euro", 0) + std::string(500, 'x'), 0, "Euro", "Euro", "EUR", 2},
        {"a name without terminator stops at the block's end", "", std::string(full, 'Z'),
         0x5a5a5a5a, std::string(full - kCurrencyNameOffset, 'Z'), "Dollars", "$", 1},
        {"letter case ignored", two, record(600, "POUND", 1), 1, "Pound", "Pound", "GBP", 3},
        {"unknown currency: dollars", two, record(600, "Peso", 1), 1, "Peso", "Dollars", "$", 3}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        AddOn addOn;
        if (!row.currencies.empty())
            addOn.currencies(row.currencies);
        if (!row.config.empty())
            addOn.configCfg(row.config);
        BrowserConfig c = addOn.load();
        EXPECT_EQ(c.unitFlag(), row.unit);
        EXPECT_EQ(c.weightsInPounds(), row.unit == 1);
        EXPECT_EQ(c.currencyName(), row.name);
        EXPECT_EQ(c.activeCurrency().name, row.active);
        EXPECT_EQ(c.activeCurrency().sign, row.sign);
        EXPECT_EQ(c.currencyCount(), row.count);
        if (row.count == 1) {
            EXPECT_EQ(c.activeCurrency().separator, ',');
            EXPECT_EQ(c.activeCurrency().exchangeWithDollars, 1.0f);
        } else if (row.count == 3) {
            EXPECT_FALSE(c.SelectCurrency("Lira"));
            EXPECT_TRUE(c.SelectCurrency("eURO"));
            EXPECT_EQ(c.activeCurrency().sign, "EUR");
        }
    }
}

TEST(BrowserConfig, FilesFoundWhateverTheirLetterCase) {
    AddOn addOn;
    addOn.dir.mkdir("Sim/Tarnavel/CONFIG");
    writeFile(addOn.base + "/CONFIG/Money_Currency.CFG", block("Euro"));
    writeFile(addOn.base + "/CONFIG/Config.Cfg", record(600, "euro", 1));
    BrowserConfig c = addOn.load();
    EXPECT_EQ(c.currencyCount(), 2);
    EXPECT_EQ(c.activeCurrency().name, "Euro");
    EXPECT_EQ(c.currencyName(), "Euro"); // takes the entry's letter case
}

TEST(BrowserConfig, ReadOnlyCurrencyFileIsStillRead) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads and writes everything";
    AddOn addOn;
    addOn.currencies(block("Euro"));
    chmod((addOn.base + "/config/money_currency.cfg").c_str(), 0444);
    EXPECT_EQ(addOn.load().currencyCount(), 2);
}

struct CurrencyCase {
    const char* what;
    std::string file;
    int count = 2; // entries, Dollars included; then the last entry's fields
    const char *lastName = "Euro", *lastSign = "EUR";
    int lastInFront = 1;
    char lastSeparator = '.';
    float lastRate = 1.0f;
};

std::string manyBlocks(int n) {
    std::string s;
    for (int i = 1; i <= n; ++i)
        s += block("Cur" + std::to_string(i), "C", "TRUE", ",", "1.5");
    return s;
}

// A file whose blocks are all dropped: Dollars alone.
CurrencyCase dropped(const char* what, std::string file) {
    return {what, std::move(file), 1, "Dollars", "$", 1, ',', 1.0f};
}

TEST(CurrencyFile, Blocks) {
    const CurrencyCase cases[] = {
        {"one block", block("Euro", "EUR", "FALSE", ".", "0.9"), 2, "Euro", "EUR", 0, '.', 0.9f},
        {"25 blocks keep 19", manyBlocks(25), 20, "Cur19", "C", 1, ',', 1.5f},
        {"lower-case true is after", block("Euro", "EUR", "true"), 2, "Euro", "EUR", 0},
        dropped("name key in other case", block("Euro").replace(0, 13, "CurrencyName=")),
        dropped("lines in other order",
                "CurrencySign=EUR\nCurrencyname=Euro\nCurrencySignInFront=TRUE\n"
                "CurrencySeparator=.\nCurrencyExchangeWithDollars=1\n"),
        {"40-character name keeps 28", block(std::string(40, 'N')), 2,
         "NNNNNNNNNNNNNNNNNNNNNNNNNNNN"},
        {"five-letter sign keeps four", block("Euro", "EUROS"), 2, "Euro", "EURO"},
        {"blank before the sign", block("Euro", " EUR", "FALSE"), 2, "Euro", " EUR", 0},
        dropped("empty sign drops the block", block("Euro", "")),
        dropped("empty name drops the block", block("")),
        {"blank separator", block("Euro", "EUR", "TRUE", " "), 2, "Euro", "EUR", 1, ' '},
        dropped("no separator drops the block", block("Euro", "EUR", "TRUE", "")),
        {"rate 0.05 dropped, next takes the slot",
         block("Low", "L", "TRUE", ".", "0.05") + block("Euro", "EUR", "TRUE", ".", "2"), 2, "Euro",
         "EUR", 1, '.', 2.0f},
        dropped("rate 31 dropped", block("High", "H", "TRUE", ".", "31")),
        {"rate 30 kept", block("High", "H", "TRUE", ".", "30"), 2, "High", "H", 1, '.', 30.0f},
        {"rate 0.1 kept", block("Low", "L", "TRUE", ".", "0.1"), 2, "Low", "L", 1, '.', 0.1f},
        {"rate with blanks and trailing text", block("Yen", "Y", "TRUE", ".", "  12.5 y"), 2, "Yen",
         "Y", 1, '.', 12.5f},
        dropped("no number is rate 0", block("Yen", "Y", "TRUE", ".", "abc")),
        dropped("hexadecimal is not a number", block("Yen", "Y", "TRUE", ".", "0x10")),
        {"Windows line ends",
         "Currencyname=Euro\r\nCurrencySign=EUR\r\nCurrencySignInFront=TRUE\r\n"
         "CurrencySeparator=.\r\nCurrencyExchangeWithDollars=1\r\n"},
        {"comments and a broken block before a good one",
         "; currencies\nCurrencyname=Bad\nsomething else\n" + block("Euro")},
        {"last line without a line end",
         "Currencyname=Euro\nCurrencySign=EUR\nCurrencySignInFront=TRUE\n"
         "CurrencySeparator=.\nCurrencyExchangeWithDollars=1"},
        dropped("name line cut at the end of the file", "Currencyname=")};
    for (const CurrencyCase& k : cases) {
        AddOn addOn;
        addOn.currencies(k.file);
        BrowserConfig c = addOn.load();
        EXPECT_EQ(c.currencyCount(), k.count) << k.what;
        if (c.currencyCount() != k.count)
            continue;
        const CurrencyEntry& e = c.currency(k.count - 1);
        EXPECT_EQ(e.name, k.lastName) << k.what;
        EXPECT_EQ(e.sign, k.lastSign) << k.what;
        EXPECT_EQ(e.signInFront, k.lastInFront) << k.what;
        EXPECT_EQ(e.separator, k.lastSeparator) << k.what;
        EXPECT_EQ(e.exchangeWithDollars, k.lastRate) << k.what;
        EXPECT_EQ(c.currency(0).name, "Dollars");
    }
}

TEST(BrowserConfig, NumbersReadLikeTheCLibrary) {
    const std::pair<const char*, double> decimals[] = {
        {" \t1.25abc", 1.25}, {"+2", 2.0},  {"-0.5", -0.5}, {"1e1x", 10.0}, {"1e", 1.0},
        {".5", 0.5},          {"inf", 0.0}, {"1e999", 0.0}, {"", 0.0}};
    for (const auto& [text, value] : decimals)
        EXPECT_DOUBLE_EQ(ReadDecimal(text), value) << text;
    const std::pair<const char*, std::int32_t> integers[] = {{"  1500 lbs", 1500},
                                                             {"-12", -12},
                                                             {"x1", 0},
                                                             {"99999999999", INT32_MAX},
                                                             {"-99999999999", INT32_MIN}};
    for (const auto& [text, value] : integers)
        EXPECT_EQ(ReadInteger(text), value) << text;
}
