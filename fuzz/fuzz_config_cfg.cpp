// config.cfg bytes laid over the settings block; the currency name must stay inside the block.
#include "browser/config.h"
#include "browser/pricing.h"

#include <cstdint>
#include <string_view>

using namespace tnv;
using namespace tnv::fleet;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    BrowserConfig config;
    config.ApplyConfigBytes(std::string_view(reinterpret_cast<const char*>(data), size));
    std::string name = config.currencyName();
    if (name.size() > kConfigRecordSize - kCurrencyNameOffset)
        __builtin_trap();
    config.SelectCurrency(name);
    (void)config.weightsInPounds();
    FormatMoney(123456789.0, config.activeCurrency());
    return 0;
}
