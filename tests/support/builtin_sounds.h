// A store of built-in sounds for the tests and the fuzz target of the WAV reader: the programs
// carry none, but the reader looks a name that is no readable file up among them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace builtin_sounds {

// The bytes of the sound `name` of resource type `type` ("WAVE" or "WAV"), letter case aside;
// nullptr when there is none.
const std::vector<std::uint8_t>* find(const std::string& name, const std::string& type);

// Adds (or replaces) a built-in sound, and makes the WAV reader look in this store.
void add(const std::string& name, const std::string& type, std::vector<std::uint8_t> bytes);

// Removes every built-in sound, and the store from the WAV reader.
void clear();

} // namespace builtin_sounds
