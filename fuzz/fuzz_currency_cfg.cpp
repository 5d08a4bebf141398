// money_currency.cfg bytes: at most 20 currencies, each within its limits, and every one of them
// formats money.
#include "browser/config.h"
#include "browser/pricing.h"

#include <cstdint>
#include <cstdio>
#include <string>

using namespace tnv;
using namespace tnv::fleet;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (bytes.empty())
        bytes = "\n";
    BrowserConfig config;
    std::FILE* f = fmemopen(bytes.data(), bytes.size(), "rb");
    config.ReadCurrencyBlocks(f);
    std::fclose(f);
    if (config.currencyCount() < 1 || config.currencyCount() > kMaxCurrencies)
        __builtin_trap();
    for (int i = 0; i < config.currencyCount(); ++i) {
        const CurrencyEntry& c = config.currency(i);
        if (c.name.empty() || c.name.size() > kCurrencyNameChars || c.sign.empty() ||
            c.sign.size() > kCurrencySignChars || !(c.exchangeWithDollars >= 0.0999f) ||
            !(c.exchangeWithDollars <= 30.0f))
            __builtin_trap();
        config.SelectCurrency(c.name);
        FormatMoney(2147483647.0, config.activeCurrency());
        FormatMoney(-2147483648.0, config.activeCurrency());
    }
    return 0;
}
