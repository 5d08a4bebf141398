#include "tests/support/sim_folder.h"

#include <cstring>

namespace testsupport {

std::string aircraftCfgText(const std::string& title, int weight, int engineType, int engines,
                            const std::string& moreTitles) {
    std::string s = "[fltsim.0]\ntitle=" + title + "\n" + moreTitles +
                    "[GeneralEngineData]\nengine_type=" + std::to_string(engineType) + "\n";
    for (int i = 0; i < engines; ++i)
        s += "Engine." + std::to_string(i) + "=0,0,0\n";
    return s + "[WEIGHT_AND_BALANCE]\nempty_weight=" + std::to_string(weight) + "\n";
}

std::string SimFolder::aircraft(const std::string& folder, const std::string& text) const {
    std::string path = dir.mkdir("Sim/Aircraft/" + folder) + "/aircraft.cfg";
    writeFile(path, text);
    return path;
}

std::string SimFolder::settings(const std::string& currency, std::int32_t unitFlag) const {
    std::string block(1265, '\0');
    std::memcpy(block.data() + 285, currency.data(), currency.size());
    std::memcpy(block.data() + 503, &unitFlag, 4);
    std::string path = dir.mkdir("Sim/Tarnavel/config") + "/config.cfg";
    writeFile(path, block);
    return path;
}

std::string SimFolder::currencies(const std::string& text) const {
    std::string path = dir.mkdir("Sim/Tarnavel/config") + "/money_currency.cfg";
    writeFile(path, text);
    return path;
}

std::string SimFolder::keywords(const std::string& text) const {
    std::string path = dir.mkdir("Sim/Tarnavel/bin") + "/FleetScout.txt";
    writeFile(path, text);
    return path;
}

} // namespace testsupport
