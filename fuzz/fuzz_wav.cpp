// The WAV reader on arbitrary bytes, through both ways it opens a sound: a file on disk and a
// built-in sound held in memory; then the decoder of compressed sound data on what it read.
#include "platform/sound/audio.h"
#include "playback/wave_reader.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

using namespace tnv;

namespace {

// What a clip does with a compressed file: its held sound data decoded to PCM, which may never
// grow past four times the bytes it came from (16-bit samples from 4-bit ones).
void decode(const CWaveReader& r, const std::vector<std::uint8_t>& held) {
    WAVEFORMATEX pcm;
    std::vector<std::uint8_t> samples;
    HRESULT hr = DecodeToPcm(*r.format(), held.data(), held.size(), r.factFrames(), pcm, samples);
    if (hr == DS_OK && (samples.empty() || samples.size() > 4 * held.size() ||
                        samples.size() % pcm.nBlockAlign != 0))
        std::abort();
}

void exercise(const char* name) {
    CWaveReader r;
    if (FAILED(r.open(name, nullptr, WAVEFILE_READ)))
        return;
    std::uint8_t buf[4096];
    std::uint32_t n = 0;
    std::vector<std::uint8_t> held;
    for (int pass = 0; pass < 2; ++pass) {
        std::uint32_t total = 0;
        // Bounded: a declared size beyond the file fails the read once the bytes run out.
        while (total < r.size() && SUCCEEDED(r.read(buf, sizeof buf, &n)) && n > 0) {
            total += n;
            if (pass == 0)
                held.insert(held.end(), buf, buf + n);
        }
        if (FAILED(r.rewind()))
            break;
    }
    decode(r, held);
    r.close();
}

// The one built-in sound: the input being tried.
std::vector<std::uint8_t> input;

const std::vector<std::uint8_t>* builtinSound(const std::string& name, const std::string& type) {
    return name == "fuzz-sound" && type == "WAVE" ? &input : nullptr;
}

// In memory where the system offers it: rewriting a file on disk for every input is slow.
char scratch[] = "/dev/shm/fuzz_wav.XXXXXX";

const char* scratchPath() {
    static bool made = [] {
        int fd = mkstemp(scratch);
        if (fd < 0) {
            std::memcpy(scratch, "/tmp/fuzz_wav.XXXXXX", 21);
            fd = mkstemp(scratch);
        }
        if (fd < 0)
            return false;
        close(fd);
        std::atexit([] { unlink(scratch); });
        return true;
    }();
    return made ? scratch : nullptr;
}

} // namespace

// A built-in sound is looked for on disk first, letter case aside, in the working folder: an
// empty one keeps that look quick.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static char folder[] = "/tmp/fuzz_wav_cwd.XXXXXX";
    if (mkdtemp(folder) && chdir(folder) == 0)
        std::atexit([] { rmdir(folder); });
    CWaveReader::setBuiltinSounds(&builtinSound);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    input.assign(data, data + size);
    exercise("fuzz-sound");

    const char* path = scratchPath();
    if (FILE* f = path ? std::fopen(path, "wb") : nullptr) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
        exercise(path);
    }
    return 0;
}
