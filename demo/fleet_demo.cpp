#include "demo/fleet_demo.h"

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

void write(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

struct DemoAircraft {
    const char* folder;
    const char* cfgName; // letter case as a Windows installation may leave it
    std::vector<std::string> titles;
    int engineType; // 0 piston, 1 jet, 2 none, 3 helicopter turbine, 5 turboprop
    int engines;
    int emptyWeight;
    bool windowsLineEnds;
    const char* extra; // more lines for the [General] section
};

std::string aircraftCfg(const DemoAircraft& a) {
    std::string s;
    int i = 0;
    for (const std::string& title : a.titles) {
        s += "[fltsim." + std::to_string(i++) + "]\n";
        s += "title=" + title + "\n";
        s += "sim=" + std::string(a.folder) + "\nmodel=\npanel=\nsound=\n";
        s += "texture=" + std::to_string(i) + "\n";
        s += "ui_manufacturer=Tarnavel Demo Works\n";
        s += "ui_variation=Livery " + std::to_string(i) + "\n\n";
    }
    s += "[General]\natc_type=TARNAVEL\n";
    s += a.extra;
    s += "\n[GeneralEngineData]\nengine_type = " + std::to_string(a.engineType) + "\n";
    for (int e = 0; e < a.engines; ++e)
        s += "Engine." + std::to_string(e) + " = " + std::to_string(-4 + 8 * e) + ".0, " +
             std::to_string(e % 2 ? 9 : -9) + ".0, 0.0\n";
    if (a.engines == 1)
        s += "//Engine.1 = 0.0, 0.0, 0.0   // a second engine was tried once\n";
    s += "fuel_flow_scalar = 1.0\n\n[WEIGHT_AND_BALANCE]\n";
    s += "max_gross_weight = " + std::to_string(a.emptyWeight * 17 / 10) + "\n";
    s += "empty_weight = " + std::to_string(a.emptyWeight) + "\n";
    s += "empty_weight_pitch_MOI = " + std::to_string(a.emptyWeight * 3) + "\n";
    s += "empty_weight_roll_MOI = " + std::to_string(a.emptyWeight * 2) + "\n";
    if (!a.windowsLineEnds)
        return s;
    std::string crlf;
    for (char c : s) {
        if (c == '\n')
            crlf += '\r';
        crlf += c;
    }
    return crlf;
}

const std::vector<DemoAircraft>& demoFleet() {
    static const std::vector<DemoAircraft> fleet = {
        {"Skylark150",
         "aircraft.cfg",
         {"Tarnavel Skylark 150", "Tarnavel Skylark 150 Trainer"},
         0,
         1,
         1111,
         false,
         ""},
        {"Ridgeback172",
         "Aircraft.CFG",
         {"Ridgeback 172 Skyranger", "ridgeback 172 Skyranger Float", "Ridgeback 172 Club Red"},
         0,
         1,
         1680,
         true,
         "atc_model=R172\n"},
        {"PelicanCub", "aircraft.cfg", {"   Pelican Cub"}, 0, 1, 820, false, ""},
        {"Bushmaster", "aircraft.cfg", {"Bushmaster 206 Utility"}, 0, 1, 3310, false, ""},
        {"KestrelTwin",
         "aircraft.cfg",
         {"Kestrel Twin 58", "Kestrel Twin 58 Executive"},
         0,
         2,
         3380,
         true,
         ""},
        {"OspreyCaravan", "AIRCRAFT.CFG", {"Osprey Caravan 208"}, 5, 1, 4575, false, ""},
        {"HeronCommuter",
         "aircraft.cfg",
         {"Heron Commuter 400", "Heron Commuter 400 Island Hopper"},
         5,
         2,
         7000,
         false,
         ""},
        {"Vireo560", "aircraft.cfg", {"Vireo 560 Business Jet"}, 1, 2, 10500, true, ""},
        {"Albatross738",
         "aircraft.cfg",
         {"Albatross 738 Tarnavel Air", "Albatross 738 Northwind", "Albatross 738 House Colours"},
         1,
         2,
         91300,
         false,
         "atc_heavy=0\n"},
        {"Petrel320", "aircraft.cfg", {"Petrel 320 Tarnavel Air"}, 1, 2, 93900, false, ""},
        {"Condor747",
         "aircraft.cfg",
         {"Condor 747 Cargo", "Condor 747 Tarnavel Air"},
         1,
         4,
         398000,
         false,
         "atc_heavy=1\n"},
        {"Sailfin Regional", "aircraft.cfg", {"Sailfin Regional Jet 70"}, 1, 2, 44000, false, ""},
        // Left out: no engine type the add-on prices.
        {"DragonflyHeli", "aircraft.cfg", {"Dragonfly R22 Helicopter"}, 3, 1, 880, false, ""},
        {"SwiftSailplane", "aircraft.cfg", {"Swift Sailplane"}, 2, 0, 560, false, ""},
        // Left out by the keyword list: AI traffic models.
        {"AI_Albatross738",
         "aircraft.cfg",
         {"AI Albatross 738", "AI Albatross 738 Northwind"},
         1,
         2,
         91300,
         false,
         "atc_parking_codes=TNV\n"},
        {"TrafficPack_Heron",
         "aircraft.cfg",
         {"Heron Commuter 400 (traffic)"},
         5,
         2,
         7000,
         false,
         "ui_createdby=TrafficPack 2004\n"},
    };
    return fleet;
}

// The add-on's binary settings: the currency chosen at 285, the unit of weight at 503.
std::string configCfg(const std::string& currency, std::int32_t unitFlag) {
    std::string block(1265, '\0');
    std::memcpy(block.data() + 285, currency.data(), currency.size());
    for (int i = 0; i < 4; ++i)
        block[static_cast<std::size_t>(503 + i)] =
            static_cast<char>((static_cast<std::uint32_t>(unitFlag) >> (8 * i)) & 0xFF);
    return block;
}

std::string currencyBlock(const char* name, const char* sign, bool inFront, char separator,
                          const char* rate) {
    return std::string("Currencyname=") + name + "\r\nCurrencySign=" + sign +
           "\r\nCurrencySignInFront=" + (inFront ? "TRUE" : "FALSE") +
           "\r\nCurrencySeparator=" + separator + "\r\nCurrencyExchangeWithDollars=" + rate +
           "\r\n";
}

} // namespace

void makeFleetDemo(const std::string& simFolder) {
    fs::path sim = simFolder;
    for (const DemoAircraft& a : demoFleet())
        write(sim / "Aircraft" / a.folder / a.cfgName, aircraftCfg(a));
    fs::create_directories(sim / "Aircraft" / "Shared textures"); // a folder without aircraft.cfg
    write(sim / "Aircraft" / "readme.txt", "Aircraft of the Tarnavel demo simulator.\r\n");
    // The rest of a simulator's own folders, so that the demo is found as one.
    for (const char* folder : {"Flights", "Gauges", "Modules"})
        fs::create_directories(sim / folder);

    fs::path addOn = sim / "Tarnavel";
    write(addOn / "config" / "config.cfg", configCfg("euro", 1));
    write(addOn / "config" / "money_currency.cfg",
          // The rate is what one unit of the currency is worth in dollars.
          currencyBlock("Euro", " EUR", false, '.', "1.09") +
              currencyBlock("Pound", "GBP ", true, ',', "1.27") +
              currencyBlock("Franc", "CHF ", true, '\'', "1.13") +
              // Out of the accepted range of 0.1 to 30: left out by the browser.
              currencyBlock("Yen", "JPY ", true, ',', "0.0067"));
    write(addOn / "bin" / "FleetScout.txt",
          "// FleetScout: aircraft whose aircraft.cfg holds one of these keywords are left out.\r\n"
          "// One keyword a line, ended by \";\". Lines starting with \"/\" or a blank are "
          "comments.\r\n"
          "AI ;\r\n"
          "TrafficPack;\r\n");
}
