#include "tests/support/sim_tree.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <utility>

namespace simtree {

namespace {

const char* const kMakers[] = {"Cessna",  "Piper",      "Beechcraft",   "Boeing", "Airbus",
                               "Embraer", "Bombardier", "de Havilland", "Mooney", "Cirrus",
                               "Pilatus", "Diamond",    "Socata",       "Fokker", "Dornier"};
const char* const kModels[] = {"172 Skyhawk", "PA-28 Warrior", "King Air 350", "737-800",
                               "A320",        "E175",          "CRJ-700",      "DHC-6 Twin Otter",
                               "M20J",        "SR22",          "PC-12",        "DA42",
                               "TBM 850",     "F70",           "Do 228"};
const char* const kLiveries[] = {"Default",  "Blue Stripe",      "Red Tail",
                                 "Classic",  "Club Livery",      "Air Ambulance",
                                 "Polished", "Military Trainer", "Lake Tahoe"};
const char* const kAirlines[] = {"Lufthansa", "KLM",      "Iberia", "Alitalia", "Finnair",
                                 "Delta",     "Qantas",   "Condor", "SAS",      "Aer Lingus",
                                 "Swiss",     "Austrian", "TAP",    "LOT",      "Icelandair"};
// Marks of the AI-traffic packages: the first few of the keyword list.
const char* const kAiMarks[] = {"AIG_", "FSPXAI", "WoAI ", "AI Traffic", "UTX_",
                                "MAIW", "TTAI",   "PAI_",  "AIA_",       "UT2_"};
const char* const kAiTags[] = {"IVAO", "VATSIM", "Pack", "Ltd", "Base", "Retro"};

std::string num(int v) {
    return std::to_string(v);
}

} // namespace

std::uint64_t Rng::next() {
    std::uint64_t z = (s_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

std::string KeywordFile(int count) {
    std::string out = "// AI traffic models left out of the price list: one word per line before\n"
                      "// a semicolon; letter case does not matter.\n\n";
    int n = 0;
    for (; n < count && n < 10; ++n)
        out += std::string(kAiMarks[n]) + ";AI package\n";
    // The rest: package-and-airline marks that no ordinary aircraft carries.
    for (int i = 0; n < count; ++i, ++n) {
        out += std::string(kAiMarks[i % 10]) + kAirlines[(i / 10) % 15] + "_" +
               kAiTags[(i / 150) % 6] + num(i) + ";\n";
        if (i % 25 == 24)
            out += "/ block " + num(i / 25) + "\n";
    }
    return out;
}

std::string AircraftCfg(Rng& rng, int index, bool aiModel) {
    int kind = rng.below(15);
    std::string maker = kMakers[kind];
    std::string model = kModels[kind];
    bool jet = kind == 3 || kind == 4 || kind == 5 || kind == 6 || kind == 13;
    bool turboprop = kind == 2 || kind == 7 || kind == 10 || kind == 12 || kind == 14;
    int engines = jet || kind == 2 || kind == 7 || kind == 11 || kind == 14 ? 2 : 1;
    int engineType = jet ? 1 : turboprop ? 5 : 0;
    std::string out;
    out.reserve(8192);
    out += "// " + maker + " " + model + " by the Tarnavel community, package " + num(index) +
           "\n// Edit the liveries below; keep the [fltsim.N] numbers in sequence.\n\n";
    int liveries = 3 + rng.below(5);
    for (int l = 0; l < liveries; ++l) {
        std::string livery = kLiveries[rng.below(9)];
        std::string title = maker + " " + model + " " + livery + " " + num(index) + "-" + num(l);
        if (aiModel && l == 0)
            title = std::string(kAiMarks[rng.below(10)]) + model + " " + kAirlines[rng.below(15)];
        out += "[fltsim." + num(l) + "]\ntitle=" + title + "\nsim=" + model +
               "\nmodel=\npanel=\nsound=\ntexture=" + livery + "\nkb_checklists=" + model +
               "_check\nkb_reference=" + model + "_ref\natc_id=N" + num(100 + rng.below(900)) +
               "TV\natc_airline=" + kAirlines[rng.below(15)] +
               "\natc_flight_number=" + num(rng.below(9999)) + "\nui_manufacturer=\"" + maker +
               "\"\nui_type=\"" + model + "\"\nui_variation=\"" + livery + "\"\nui_typerole=\"" +
               (jet ? "Commercial Airliner" : "Single Engine") +
               "\"\nui_createdby=\"Tarnavel Community\"\ndescription=\"The " + maker + " " + model +
               " in " + livery +
               " colours. A dependable aircraft for training, touring and regional work; "
               "see the manual for speeds and limits.\"\natc_heavy=0\natc_parking_types=" +
               (jet ? "GATE,RAMP" : "RAMP") + "\n\n";
    }
    out += "[General]\natc_type=\"" + maker + "\"\natc_model=\"" + model +
           "\"\neditable=1\nperformance=\"Cruise speed " + num(100 + rng.below(400)) +
           " kts\"\nCategory=airplane\n\n";
    out += "[WEIGHT_AND_BALANCE]\nmax_gross_weight=" + num(2000 + rng.below(150000)) +
           "\nempty_weight=" + num(1200 + rng.below(90000)) +
           "\nreference_datum_position=0.0, 0.0, 0.0\nempty_weight_CG_position=-1.2, 0.0, 0.0\n"
           "max_number_of_stations=4\nstation_load.0=170, 2.0, -1.0, 0.0  // pilot\n"
           "station_load.1=170, 2.0, 1.0, 0.0   // front passenger\n\n";
    out += "[GeneralEngineData]\nengine_type=" + num(engineType) + "  // 0=Piston, " +
           "1=Jet, 2=None, 3=Helo-Turbine, 4=Rocket, 5=Turboprop\nmin_throttle_limit=-0.25\n";
    for (int e = 0; e < engines; ++e)
        out += "Engine." + num(e) + " = 0.0, " + (e ? "4.5" : "-4.5") + ", 0.0\n";
    out += "fuel_flow_scalar=1.0\n\n[piston_engine]\npower_scalar=1.0\ncylinder_displacement=" +
           num(20 + rng.below(60)) +
           "\ncompression_ratio=8.5\nnumber_of_cylinders=" + num(4 + 2 * rng.below(3)) +
           "\n\n[flight_tuning]\ncruise_lift_scalar=1.0\n"
           "parasite_drag_scalar=1.0\ninduced_drag_scalar=1.0\nelevator_effectiveness=1.0\n"
           "aileron_effectiveness=1.0\nrudder_effectiveness=1.0\npitch_stability=1.0\n\n"
           "[fuel]\nLeftMain=-3.0, -9.0, 2.0, 28.0, 0.0\nRightMain=-3.0, 9.0, 2.0, 28.0, 0.0\n"
           "fuel_type=" +
           num(jet || turboprop ? 2 : 1) +
           "\nnumber_of_tank_selectors=1\n\n"
           "[views]\neyepoint=-2.3, -0.9, 1.9\n\n[Radios]\nAudio.1=1\nCom.1=1, 1\nNav.1=1, 1, 1\n"
           "Transponder.1=1\nAdf.1=1\n";
    return out;
}

TreeInfo WriteTree(const std::string& aircraftFolder, int folders, int aiEvery,
                   std::uint64_t seed) {
    namespace fs = std::filesystem;
    TreeInfo info;
    Rng rng(seed);
    fs::create_directories(aircraftFolder);
    for (int i = 0; i < folders; ++i) {
        bool ai = aiEvery > 0 && i % aiEvery == aiEvery - 1;
        char name[64];
        std::snprintf(name, sizeof name, "%s_%04d", kMakers[i % 15], i);
        std::string dir = aircraftFolder + "/" + name;
        fs::create_directories(dir);
        std::ofstream(dir + "/aircraft.cfg", std::ios::binary) << AircraftCfg(rng, i, ai);
        info.folders.push_back(dir);
        info.aiFolders += ai ? 1 : 0;
    }
    return info;
}

std::string PcmWav(const std::vector<std::int16_t>& samples) {
    auto le = [](std::string& s, std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            s += static_cast<char>((v >> (8 * i)) & 0xff);
    };
    const auto dataSize = static_cast<std::uint32_t>(2 * samples.size());
    std::string w = "RIFF";
    le(w, 36 + dataSize, 4);
    w += "WAVEfmt ";
    // The format's size, PCM, mono, the rate, bytes a second and a frame, bits a sample.
    const std::pair<std::uint32_t, int> format[] = {{16, 4},    {1, 2}, {1, 2}, {22050, 4},
                                                    {44100, 4}, {2, 2}, {16, 2}};
    for (auto [v, bytes] : format)
        le(w, v, bytes);
    w += "data";
    le(w, dataSize, 4);
    for (std::int16_t sample : samples)
        le(w, static_cast<std::uint16_t>(sample), 2);
    return w;
}

} // namespace simtree
