// Demo data of the aircraft price browser: an Aircraft folder of our own made-up aircraft, the
// add-on's settings files and the browser's keyword list.
#pragma once

#include <string>

void makeFleetDemo(const std::string& simFolder);
