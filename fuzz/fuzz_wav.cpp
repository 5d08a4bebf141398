// The WAV reader on arbitrary bytes, through both ways it opens a sound: a file on disk and a
// built-in sound held in memory.
#include "playback/builtin_sounds.h"
#include "playback/wave_reader.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

void exercise(const char* name) {
    CWaveReader r;
    if (FAILED(r.open(name, nullptr, WAVEFILE_READ)))
        return;
    std::uint8_t buf[4096];
    std::uint32_t n = 0;
    for (int pass = 0; pass < 2; ++pass) {
        std::uint32_t total = 0;
        // Bounded: a declared size beyond the file fails the read once the bytes run out.
        while (total < r.size() && SUCCEEDED(r.read(buf, sizeof buf, &n)) && n > 0)
            total += n;
        if (FAILED(r.rewind()))
            break;
    }
    r.close();
}

std::string scratchPath() {
    static std::string path = [] {
        char name[] = "/tmp/fuzz_wav.XXXXXX";
        int fd = mkstemp(name);
        if (fd >= 0)
            close(fd);
        return std::string(name);
    }();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> bytes(data, data + size);
    builtin_sounds::add("fuzz-sound", "WAVE", bytes);
    exercise("fuzz-sound");

    std::string path = scratchPath();
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
        exercise(path.c_str());
    }
    return 0;
}
