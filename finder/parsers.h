// Readers of the small text files the finder learns folders from. Every one takes any bytes,
// reads at most kMaxInput of them, keeps at most kMaxPaths paths of at most kMaxPathLength bytes,
// and never fails: what it cannot read is left out.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tnv {

namespace finder {

inline constexpr std::size_t kMaxInput = 64u << 20;    // a large system.reg is a few MiB
inline constexpr std::size_t kMaxPathLength = 4096;    // PATH_MAX
inline constexpr std::size_t kMaxPaths = 100'000;      // registry values; the others hold far fewer
inline constexpr std::size_t kMaxSmallFile = 1u << 20; // libraryfolders.vdf, a Lutris game, ours

// Steam's libraryfolders.vdf (Valve's KeyValues text): every "path" value, and the values of the
// old form's numbered keys ("1" "/media/games/SteamLibrary").
std::vector<std::string> LibraryFolderPaths(std::string_view vdf);

// A Wine registry file (system.reg, user.reg): every string value that holds a drive path,
// unescaped, as Windows writes it ("C:\Program Files\My Sim"), in file order, each once.
std::vector<std::string> RegistryDrivePaths(std::string_view reg);

// A Lutris game file (YAML): the values of its `prefix:` keys, unquoted, in file order. A value
// may start with "~/", which the caller expands.
std::vector<std::string> LutrisPrefixes(std::string_view yml);

// Our registration file: the absolute folders, one a line, each once; other lines are left out.
std::vector<std::string> RegistrationLines(std::string_view text);

} // namespace finder

} // namespace tnv
