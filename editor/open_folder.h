// Where File, Open starts in an editor started without a file.
#pragma once

#include "finder/finder.h"

#include <string>

namespace tnv::cueline {

// Empty inside a simulator (the folder above the program's add-on folder holds Aircraft): the
// program's own folder, as always. Outside one, the crew packs (Tarnavel/Sound/Crewpack, letter
// case aside, or as much of that as there is) of a simulator with the add-on: the only one, the
// kept choice among several, else the first; the home folder when none has it. 8-bit paths.
std::string OpenFolderOutsideSimulator(const std::string& programPath,
                                       const finder::Options& options);

} // namespace tnv::cueline
