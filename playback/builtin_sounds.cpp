#include "playback/builtin_sounds.h"

#include "platform/fs.h"

#include <utility>

namespace builtin_sounds {
namespace {

struct Entry {
    std::string name;
    std::string type;
    std::vector<std::uint8_t> bytes;
};

std::vector<Entry>& store() {
    static std::vector<Entry> entries;
    return entries;
}

} // namespace

const std::vector<std::uint8_t>* find(const std::string& name, const std::string& type) {
    for (const Entry& e : store())
        if (fsx::equalNoCase(e.name, name) && fsx::equalNoCase(e.type, type))
            return &e.bytes;
    return nullptr;
}

void add(const std::string& name, const std::string& type, std::vector<std::uint8_t> bytes) {
    for (Entry& e : store()) {
        if (fsx::equalNoCase(e.name, name) && fsx::equalNoCase(e.type, type)) {
            e.bytes = std::move(bytes);
            return;
        }
    }
    store().push_back(Entry{name, type, std::move(bytes)});
}

void clear() {
    store().clear();
}

} // namespace builtin_sounds
