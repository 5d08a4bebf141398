// Crew packs laid out on disk for the tests: a folder with its CueLine.clt and WAV files.
#pragma once

#include <string>
#include <vector>

namespace testsupport {

// What a listed sound's file holds when a test needs it on disk but never plays it.
inline constexpr const char* kStandInWav = "RIFF";

// Writes a crew pack into `folder` (made when missing): CueLine.clt holding `text`, and a
// stand-in file for each name of `wavs`. Returns the path of CueLine.clt.
std::string writeCrewPack(const std::string& folder, const std::string& text,
                          const std::vector<std::string>& wavs = {});

} // namespace testsupport
