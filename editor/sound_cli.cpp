#include "editor/sound_cli.h"

#include "platform/base/fs.h"
#include "playback/sound_device.h"
#include "playback/wave_reader.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <thread>

#include <sys/stat.h>

namespace tnv::cueline {

namespace {

// Buffer flags of the editor's preview: frequency, pan and volume control; then without pan.
constexpr DWORD kPreviewFlags = DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME;
constexpr DWORD kPreviewFallbackFlags = DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLVOLUME;

std::string hex8(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(hr));
    return text;
}

bool fileExists(const std::string& path) {
    return fsx::isFile(path) || fsx::isFile(fsx::resolvePath(path));
}

// A folder, a FIFO or a device under the name.
bool somethingExists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 || ::stat(fsx::resolvePath(path).c_str(), &st) == 0;
}

std::string whyNoClip(const std::string& path, HRESULT hr) {
    if (path.size() > kMaxSoundPath)
        return "the path is longer than " + std::to_string(kMaxSoundPath) + " characters";
    if (hr == DSERR_BADFORMAT) {
        CWaveReader reader;
        char tag[16] = "?";
        if (SUCCEEDED(reader.open(path.c_str(), nullptr, WAVEFILE_READ)))
            std::snprintf(tag, sizeof tag, "%u", reader.format()->wFormatTag);
        return std::string("its sound format (format tag ") + tag + ") cannot be played";
    }
    if (hr == E_FAIL && !fileExists(path))
        return somethingExists(path) ? "not a regular file" : "no such file";
    if (hr == E_FAIL) {
        CWaveReader reader;
        if (SUCCEEDED(reader.open(path.c_str(), nullptr, WAVEFILE_READ)) && reader.heldSize() > 0 &&
            reader.format()->wFormatTag != WAVE_FORMAT_PCM)
            return "its sound data (format tag " + std::to_string(reader.format()->wFormatTag) +
                   ") does not decode";
        return "not a WAVE file with sound data that can be read";
    }
    if (hr == DSERR_INVALIDPARAM)
        return "its sound data is too short or too long to be played";
    if (hr == E_OUTOFMEMORY)
        return "not enough memory";
    return "the sound cannot be made";
}

bool isOption(const std::string& arg) {
    return arg.size() > 1 && arg[0] == '-';
}

int unknownOption(const std::string& arg, const char* usage, std::ostream& err) {
    err << "TnvCueLine: unknown option '" << arg << "'\n" << usage;
    return 2;
}

constexpr const char* kWavInfoUsage = "usage: TnvCueLine --wav-info FILE...\n";
constexpr const char* kPlayUsage = "usage: TnvCueLine --play FILE [--volume N]\n";

bool parseVolume(const std::string& text, long& volume) {
    if (text.empty() || text.size() > 3)
        return false;
    volume = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        volume = volume * 10 + (c - '0');
    }
    return volume <= 255;
}

} // namespace

int runWavInfo(const std::vector<std::string>& files, std::ostream& out, std::ostream& err) {
    if (files.empty()) {
        err << kWavInfoUsage;
        return 2;
    }
    for (const std::string& file : files)
        if (isOption(file))
            return unknownOption(file, kWavInfoUsage, err);
    int status = 0;
    for (const std::string& file : files) {
        CWaveReader reader;
        HRESULT hr = reader.open(file.c_str(), nullptr, WAVEFILE_READ);
        out << file << '\t' << hex8(hr);
        if (SUCCEEDED(hr)) {
            const WAVEFORMATEX& f = *reader.format();
            out << '\t' << f.wFormatTag << '\t' << f.nChannels << '\t' << f.nSamplesPerSec << '\t'
                << f.wBitsPerSample << '\t' << f.nBlockAlign << '\t' << reader.size();
            reader.close();
        } else {
            status = 1;
        }
        out << '\n';
    }
    out.flush();
    return status;
}

int runPlay(const std::vector<std::string>& args, std::ostream& err) {
    std::string path;
    long volume = 255;
    bool havePath = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--volume") {
            if (i + 1 >= args.size() || !parseVolume(args[i + 1], volume)) {
                err << "TnvCueLine: --volume takes a number from 0 to 255\n";
                return 2;
            }
            ++i;
        } else if (isOption(args[i])) {
            return unknownOption(args[i], kPlayUsage, err);
        } else if (!havePath) {
            path = args[i];
            havePath = true;
        } else {
            err << "TnvCueLine: unexpected argument '" << args[i] << "'\n" << kPlayUsage;
            return 2;
        }
    }
    if (!havePath) {
        err << kPlayUsage;
        return 2;
    }

    CSoundDevice device;
    HRESULT hr = device.start(nullptr, DSSCL_PRIORITY, 2, 22050, 16);
    if (FAILED(hr)) {
        err << "TnvCueLine: no sound device (" << hex8(hr) << ")\n";
        return 3;
    }
    std::unique_ptr<CSoundClip> clip;
    hr = device.createClip(path.c_str(), kPreviewFlags, DS3DALG_DEFAULT, 1, clip);
    if (FAILED(hr))
        hr = device.createClip(path.c_str(), kPreviewFallbackFlags, DS3DALG_DEFAULT, 1, clip);
    if (FAILED(hr)) {
        err << "TnvCueLine: " << path << ": " << whyNoClip(path, hr) << " (" << hex8(hr) << ")\n";
        return 1;
    }
    hr = clip->play(0, 0, volume, 0);
    if (FAILED(hr)) {
        err << "TnvCueLine: " << path << ": the sound does not play (" << hex8(hr) << ")\n";
        return 1;
    }
    // Polled like the preview's timer; a sound that never ends (a device that stopped taking
    // samples) is given up a little after the length of what the file holds, whatever its
    // header declares.
    const WAVEFORMATEX* f = clip->format();
    double seconds = f && f->nBlockAlign && f->nSamplesPerSec
                         ? double(clip->heldBytes() / f->nBlockAlign) / f->nSamplesPerSec
                         : 0.0;
    auto deadline = std::chrono::steady_clock::now() +
                    std::chrono::milliseconds(static_cast<long long>(seconds * 1000) + 2000);
    while (clip->isPlaying() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    clip->stop();
    device.directSound()->WaitForOutput(1000);
    clip.reset();
    device.shutdown();
    return 0;
}

std::optional<int> runSoundCommand(int argc, char** argv) {
    if (argc < 2)
        return std::nullopt;
    std::vector<std::string> rest(argv + 2, argv + argc);
    if (std::strcmp(argv[1], "--wav-info") == 0)
        return runWavInfo(rest, std::cout, std::cerr);
    if (std::strcmp(argv[1], "--play") == 0)
        return runPlay(rest, std::cerr);
    return std::nullopt;
}

} // namespace tnv::cueline
