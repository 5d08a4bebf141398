#include "browser/aircraft_scan.h"

#include <cstdio>
#include <cstdlib>

namespace tnv::fleet {

namespace {

bool Tracing() {
    static const bool on = [] {
        const char* value = std::getenv("FLEETVALUER_TRACE");
        return value && std::string_view(value) == "1";
    }();
    return on;
}

} // namespace

void TraceLine(std::string_view text) {
    if (Tracing())
        std::fprintf(stderr, "%.*s\n", static_cast<int>(text.size()), text.data());
}

void TraceLine(std::string_view text, long value) {
    if (Tracing())
        std::fprintf(stderr, "%.*s%ld\n", static_cast<int>(text.size()), text.data(), value);
}

} // namespace tnv::fleet
