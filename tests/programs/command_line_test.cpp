// What every program does with its command line, started as a user starts it: help and version
// on standard output, mistakes named on standard error with the usage and exit status 2, and
// failures that are no mistake of the command line ending with the reason and another status.
#include "tests/playback/wav_fixture.h"
#include "tests/support/crew_pack.h"
#include "tests/support/sim_folder.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using testsupport::TempDir;

std::string quoted(const std::string& s) {
    return "'" + s + "'";
}

struct Outcome {
    int status = -1;
    std::string out, err;
};

Outcome run(const TempDir& dir, const std::string& env, const std::string& program,
            const std::vector<std::string>& args) {
    std::string command = quoted(testsupport::binDir() + "/" + program);
    for (const std::string& a : args)
        command += " " + quoted(a);
    // Bounded: a program that waited on something would fail here instead of stalling the suite.
    command = "cd " + quoted(dir.path()) + " && " + env + " timeout 60 " + command + " 2>" +
              quoted(dir.file("stderr.txt"));
    Outcome r;
    r.status = testsupport::runCommand(command, &r.out);
    r.err = testsupport::readFile(dir.file("stderr.txt"));
    return r;
}

const char* const kPrograms[] = {"TnvCueLine", "FleetValuer", "UninstallTarnavel", "tnv-make-demo"};

TEST(CommandLine, HelpVersionAndUnknownOptionsAlike) {
    TempDir dir;
    for (const std::string program : kPrograms) {
        SCOPED_TRACE(program);
        for (const char* help : {"-h", "--help"}) {
            Outcome r = run(dir, "", program, {help});
            EXPECT_EQ(r.status, 0) << help;
            EXPECT_TRUE(r.out.starts_with("usage: " + program)) << help << ": " << r.out;
            EXPECT_EQ(r.err, "") << help;
        }
        Outcome version = run(dir, "", program, {"--version"});
        EXPECT_EQ(version.status, 0);
        EXPECT_EQ(version.out, program + " " + TNV_VERSION + "\n");

        Outcome bogus = run(dir, "", program, {"--bogus"});
        EXPECT_EQ(bogus.status, 2);
        EXPECT_TRUE(bogus.err.starts_with(program + ": unknown option '--bogus'\nusage: "))
            << bogus.err;
        EXPECT_EQ(bogus.out, "");
    }
    EXPECT_FALSE(testsupport::exists(dir.file("--bogus"))) << "no demo laid out under an option";
    EXPECT_FALSE(testsupport::exists(dir.file("-h")));
}

TEST(CommandLine, EachStatusMeansOneThing) {
    TempDir dir;
    std::string nowhere = dir.file("nowhere/Tarnavel"); // no Aircraft folder beside it
    std::string noAircraft = "no aircraft folder at " + dir.file("nowhere/Aircraft");
    std::string missing = dir.file("missing/folder"), csv = dir.file("fleet.csv");
    std::string pdf = dir.file("fleet.pdf"), png = dir.file("fleet.png");
    std::string noSuch = "TnvCueLine: " + missing + ": No such file or directory";
    const char* noDriver = "SDL_AUDIODRIVER=no-such-driver";
    std::string noFolder = dir.file("no/such/folder/x.png"), pack = dir.mkdir("Pack");
    testsupport::writeFile(pack + "/CueLine.clt", "a.wav;Hello\r\n");
    std::string full = dir.mkdir("full");
    testsupport::writeFile(full + "/mine.txt", "someone's");
    std::string muLaw = dir.file("mulaw.wav");
    WAVEFORMATEX f = wavfixture::withTag(wavfixture::pcm(1, 8000, 8), WAVE_FORMAT_MULAW, 1);
    testsupport::writeFile(muLaw,
                           wavfixture::str(wavfixture::wav(f, wavfixture::Bytes(800, 0x80))));
    const struct {
        const char* env;
        const char* program;
        std::vector<std::string> args;
        int status;
        std::string says; // on standard error
        std::string notWritten;
    } cases[] = {
        {"", "TnvCueLine", {"--play", muLaw}, 0, "", ""},
        {noDriver, "TnvCueLine", {"--play", muLaw}, 3, "no sound device", ""},
        {"", "TnvCueLine", {"--play", "--bogus"}, 2, "unknown option '--bogus'", ""},
        {"", "TnvCueLine", {"--wav-info", "--bogus"}, 2, "unknown option '--bogus'", ""},
        {"", "TnvCueLine", {"--report", "--bogus"}, 2, "unknown option '--bogus'", ""},
        {"", "TnvCueLine", {"--report"}, 2, "--report needs a value", ""},
        {"", "TnvCueLine", {"--screenshot"}, 2, "--screenshot needs a value", ""},
        {"", "TnvCueLine", {"--screenshot", "x.png", "--size", "10"}, 2, "usage: TnvCueLine", ""},
        {"", "TnvCueLine", {"--screenshot", "x.png", "--size", "0x5"}, 2, "usage: TnvCueLine", ""},
        {"", "TnvCueLine", {"--size", "20x20"}, 2, "usage: TnvCueLine", ""},
        {"", "TnvCueLine", {"--screenshot", noFolder, pack}, 1, "cannot create a file in", ""},
        {"", "TnvCueLine", {"a.clt", "b.clt"}, 2, "unexpected argument 'b.clt'", ""},
        {"", "TnvCueLine", {"--report", missing}, 1, noSuch, ""},
        {"", "FleetValuer", {"stray"}, 2, "unexpected argument 'stray'", ""},
        {"", "FleetValuer", {"--base", nowhere, "--export", "-"}, 1, "no aircraft folder at", ""},
        {"", "FleetValuer", {"--base", nowhere, "--export", csv}, 1, noAircraft, csv},
        {"", "FleetValuer", {"--base", nowhere, "--print-pdf", pdf}, 1, noAircraft, pdf},
        {"", "FleetValuer", {"--base", nowhere, "--screenshot", png}, 1, noAircraft, png},
        {"", "UninstallTarnavel", {"stray"}, 2, "unexpected argument 'stray'", ""},
        {"", "tnv-make-demo", {}, 2, "usage: tnv-make-demo", ""},
        {"", "tnv-make-demo", {dir.file("a"), dir.file("b")}, 2, "unexpected argument", ""},
        {"", "tnv-make-demo", {full}, 1, full + ": exists and is not empty", full + "/Tarnavel"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.program) + " " + (c.args.empty() ? "" : c.args[0]));
        Outcome r = run(dir, c.env, c.program, c.args);
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        if (c.status != 0) {
            EXPECT_EQ(r.out, "");
        }
        if (!c.notWritten.empty()) {
            EXPECT_FALSE(testsupport::exists(c.notWritten));
        }
    }
    EXPECT_EQ(testsupport::readFile(full + "/mine.txt"), "someone's");
}

// What the programs print for a person is in the locale's encoding: texts and names known only
// from CueLine.clt are converted ("?" where the locale has no such character), names found on
// disk print as the disk has them. The CSV keeps the add-on's bytes unless --utf8 asks.
TEST(CommandLine, TextsForPeopleInTheLocalesEncoding) {
    TempDir dir;
    const std::string japan = "\xE6\x97\xA5\xE6\x9C\xAC", uber = "\xC3\x9C"
                                                                 "ber"; // on disk
    std::string pack = dir.file("Pack");
    testsupport::writeCrewPack(
        pack, "Caf\xE9.wav;Caf\xE9 cr\xE8me\r\n" + std::string(30, '\xE9') + ".wav;too long\r\n",
        {japan + ".wav", uber + ".wav"});
    testsupport::SimFolder sim;
    sim.aircraft(japan, testsupport::aircraftCfgText("Caf\xE9 Cub", 820, 0, 1));
    sim.aircraft(uber, testsupport::aircraftCfgText("Cub", 820, 0, 1));
    const std::vector<std::string> report = {"--report", pack};
    const std::vector<std::string> csv = {"--base", sim.base, "--export", "-"};
    const std::vector<std::string> utf8 = {"--base", sim.base, "--export", "-", "--utf8"};
    const std::vector<std::string> explain = {"--base", sim.base, "--explain"};
    const std::string missU = "missing\tCaf\xC3\xA9.wav\tCaf\xC3\xA9 cr\xC3\xA8me\n";
    const std::string missC = "missing\tCaf?.wav\tCaf? cr?me\n", nameU = "2>The filename \xC3\xA9";
    const std::string uberCp = std::string(1, '\xDC') + "ber";
    auto nt = [](const std::string& name) { return "notext\t" + name + ".wav\t\n"; };
    const struct {
        const char* locale;
        const char* program;
        std::vector<std::string> args;
        std::vector<std::string> printed; // on stdout, or stderr where it starts with "2>"
    } cases[] = {
        {"C.UTF-8", "TnvCueLine", report, {missU, nt(japan), nt(uber), nameU + "\xC3\xA9"}},
        {"C", "TnvCueLine", report, {missC, nt(japan), nt(uber), "2>The filename ??"}},
        {"POSIX", "TnvCueLine", report, {missC}},
        {"C.UTF-8", "FleetValuer", csv, {",Caf\xE9 Cub,", "," + japan + "\n", "," + uberCp + "\n"}},
        {"C", "FleetValuer", utf8, {",Caf\xC3\xA9 Cub,", "," + japan + "\n", "," + uber + "\n"}},
        {"C.UTF-8", "FleetValuer", explain, {japan + "\tlisted\tCaf\xC3\xA9 Cub\n"}},
        {"C", "FleetValuer", explain, {japan + "\tlisted\tCaf? Cub\n", uber + "\tlisted\tCub\n"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.locale) + " " + c.program + " " + c.args.back());
        Outcome r = run(dir, std::string("LC_ALL=") + c.locale, c.program, c.args);
        EXPECT_EQ(r.status, 0) << r.err;
        for (const std::string& text : c.printed) {
            bool err = text.starts_with("2>");
            EXPECT_NE((err ? r.err : r.out).find(err ? text.substr(2) : text), std::string::npos)
                << text << " in\n"
                << (err ? r.err : r.out);
        }
    }
}

} // namespace
