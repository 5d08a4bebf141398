// Sounds built into the program, found by name when a WAV name is no readable file: the place of
// the original's WAVE/WAV program resources. The programs carry none today; the store stays
// so that a sound can be added without touching the reader.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace builtin_sounds {

// The bytes of the sound `name` of resource type `type` ("WAVE" or "WAV"), letter case aside;
// nullptr when there is none.
const std::vector<std::uint8_t>* find(const std::string& name, const std::string& type);

// Adds (or replaces) a built-in sound.
void add(const std::string& name, const std::string& type, std::vector<std::uint8_t> bytes);

// Removes every built-in sound (tests).
void clear();

} // namespace builtin_sounds
