#include "tests/support/crew_pack.h"

#include "tests/support/test_support.h"

#include <filesystem>

namespace testsupport {

std::string writeCrewPack(const std::string& folder, const std::string& text,
                          const std::vector<std::string>& wavs) {
    std::filesystem::create_directories(folder);
    for (const std::string& wav : wavs)
        writeFile(folder + "/" + wav, kStandInWav);
    writeFile(folder + "/CueLine.clt", text);
    return folder + "/CueLine.clt";
}

} // namespace testsupport
