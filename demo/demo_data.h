// Demo data of the other tools, added to the demo simulator tree.
#pragma once

#include <string>

void makeOtherDemoData(const std::string& simFolder);
