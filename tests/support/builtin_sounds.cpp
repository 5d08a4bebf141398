#include "tests/support/builtin_sounds.h"

#include "platform/base/fs.h"
#include "playback/wave_reader.h"

#include <utility>

using namespace tnv;

namespace builtin_sounds {
namespace {

struct Entry {
    std::string name, type;
    std::vector<std::uint8_t> bytes;
};

std::vector<Entry>& store() {
    static std::vector<Entry> entries;
    return entries;
}

Entry* lookup(const std::string& name, const std::string& type) {
    for (Entry& e : store())
        if (fsx::equalNoCase(e.name, name) && fsx::equalNoCase(e.type, type))
            return &e;
    return nullptr;
}

} // namespace

const std::vector<std::uint8_t>* find(const std::string& name, const std::string& type) {
    const Entry* e = lookup(name, type);
    return e ? &e->bytes : nullptr;
}

void add(const std::string& name, const std::string& type, std::vector<std::uint8_t> bytes) {
    CWaveReader::setBuiltinSounds(&find);
    if (Entry* e = lookup(name, type))
        e->bytes = std::move(bytes);
    else
        store().push_back(Entry{name, type, std::move(bytes)});
}

void clear() {
    store().clear();
    CWaveReader::setBuiltinSounds(nullptr);
}

} // namespace builtin_sounds
