// Lays out a small simulator tree for trying the tools: the add-on's folder with a crew pack
// whose recordings are synthesised here, and whatever the other tools' demo data adds.
//   tnv-make-demo SIMFOLDER   (a new or empty folder)
#include "demo/demo_data.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

void put16(std::string& s, unsigned v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}
void put32(std::string& s, std::uint32_t v) {
    put16(s, v & 0xFFFF);
    put16(s, v >> 16);
}

// A short two-tone chime, different for every sound, 16-bit mono at 22050 samples per second.
std::string chime(int index) {
    const int rate = 22050;
    const int samples = rate * 6 / 10;
    double f1 = 330.0 * std::pow(2.0, (index % 12) / 12.0);
    double f2 = f1 * 1.5;
    std::string data;
    for (int i = 0; i < samples; ++i) {
        double t = static_cast<double>(i) / rate;
        double f = i < samples / 2 ? f1 : f2;
        double env = std::sin(3.14159265358979 * i / samples);
        auto v = static_cast<std::int16_t>(9000.0 * env * std::sin(2 * 3.14159265358979 * f * t));
        put16(data, static_cast<std::uint16_t>(v));
    }
    std::string wav = "RIFF";
    put32(wav, static_cast<std::uint32_t>(36 + data.size()));
    wav += "WAVEfmt ";
    put32(wav, 16);
    put16(wav, 1); // PCM
    put16(wav, 1);
    put32(wav, rate);
    put32(wav, rate * 2);
    put16(wav, 2);
    put16(wav, 16);
    wav += "data";
    put32(wav, static_cast<std::uint32_t>(data.size()));
    return wav + data;
}

void write(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

void makeCrewPack(const fs::path& pack) {
    // Listed in the text file, with their texts ("\xE9" is e-acute in the pack's code page).
    const std::vector<std::pair<std::string, std::string>> listed = {
        {"Welcome.wav", "Ladies and gentlemen, welcome aboard"},
        {"Doors.wav", "Cabin crew, doors to automatic and cross-check"},
        {"SeatBelts.wav", "Please fasten your seat belts"},
        {"EightyKnots.wav", "Eighty knots"},
        {"V1.wav", "V one"},
        {"Rotate.wav", "Rotate"},
        {"PositiveClimb.wav", "Positive climb; gear up"},
        {"TenThousand.wav", "Ten thousand feet, 100% on schedule"},
        {"Caf\xE9.wav", "Caf\xE9 service will begin shortly"},
        {"Descent.wav", "We have started our descent"},
        {"Minimums.wav", "Minimums"},
        {"Retard.wav", "Retard"},
        {"GoodBye.wav", "Thank you for flying with us"},
    };
    // Listed but without a recording: shown red.
    const std::vector<std::string> missing = {"EightyKnots.wav", "Descent.wav"};
    // Recordings without a text: shown light blue.
    const std::vector<std::string> silent = {"Chime.wav", "GearUp.wav", "FlapsUp.wav"};

    std::string clt;
    for (const auto& [name, text] : listed)
        clt += name + ";" + text + "\r\n";
    clt += "FlapsUp.wav;\r\n"; // an empty text adds nothing; the recording shows without text
    write(pack / "CueLine.clt", clt);

    int index = 0;
    for (const auto& [name, text] : listed) {
        ++index;
        if (std::find(missing.begin(), missing.end(), name) != missing.end())
            continue;
        // Names on disk are UTF-8, as Wine writes them.
        std::string disk = name == "Caf\xE9.wav" ? std::string("Caf\xC3\xA9.wav") : name;
        write(pack / disk, chime(index));
    }
    for (const auto& name : silent)
        write(pack / name, chime(++index));
}

const char* const kUsage =
    "usage: tnv-make-demo SIMFOLDER\n"
    "Lays out a small demo simulator in SIMFOLDER, a new or empty folder: the\n"
    "add-on's folder with a crew pack, settings and a few aircraft.\n"
    "  -h, --help  show this help\n"
    "  --version   show the version\n";

int usageError(const char* what, const std::string& arg) {
    if (what)
        std::fprintf(stderr, "tnv-make-demo: %s '%s'\n", what, arg.c_str());
    std::fputs(kUsage, stderr);
    return 2;
}

// Only a new or empty folder: the demo's files would otherwise mix with, or replace, someone's.
std::string unusableFolder(const fs::path& sim) {
    std::error_code ec;
    fs::file_status st = fs::status(sim, ec);
    if (!fs::exists(st))
        return {};
    if (!fs::is_directory(st))
        return "exists and is not a folder";
    if (!fs::is_empty(sim, ec))
        return ec ? ec.message() : "exists and is not empty";
    return {};
}

} // namespace

int main(int argc, char** argv) {
    std::string folder;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--version") {
            std::printf("tnv-make-demo %s\n", TNV_VERSION);
            return 0;
        }
        if (arg.size() > 1 && arg[0] == '-')
            return usageError("unknown option", arg);
        if (!folder.empty())
            return usageError("unexpected argument", arg);
        folder = arg;
    }
    if (folder.empty())
        return usageError(nullptr, {});
    fs::path sim = folder;
    if (std::string why = unusableFolder(sim); !why.empty()) {
        std::fprintf(stderr, "tnv-make-demo: %s: %s\n", folder.c_str(), why.c_str());
        return 1;
    }
    try {
        makeCrewPack(sim / "Tarnavel" / "Sound" / "Crewpack" / "Demo");
        makeOtherDemoData(sim.string());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tnv-make-demo: %s\n", e.what());
        return 1;
    }
    std::printf("Demo simulator in %s\n", sim.string().c_str());
    return 0;
}
