#include "browser/fleet_explain.h"

#include "browser/aircraft_cfg.h"
#include "platform/base/fs.h"
#include "platform/base/locale_text.h"

#include <cerrno>
#include <cstring>
#include <string>

namespace tnv::fleet {

namespace {

// Every line goes out here, the one place that knows how texts meet the terminal: a folder's
// name as the disk has it, a text in the locale's encoding; a control character (a tab, a line
// end) would split the line, so it shows as "?", as ls shows it.
bool writeLine(std::FILE* out, std::string_view folder, std::string_view outcome,
               std::string_view text) {
    std::string line;
    const std::string fields[] = {fsx::toDisk(std::string(folder)), std::string(outcome),
                                  localetext::FromText(text)};
    for (const std::string& field : fields) {
        if (!line.empty())
            line += '\t';
        for (char c : field)
            line += static_cast<unsigned char>(c) < 32 || c == 127 ? '?' : c;
    }
    line += '\n';
    return std::fwrite(line.data(), 1, line.size(), out) == line.size();
}

std::string leftOutReason(const FolderReport& report, const ExcludeKeywords& keywords) {
    const CfgFindings* found = report.found;
    switch (report.outcome) {
    case FolderOutcome::Keyword: {
        std::string_view line = report.line;
        while (!line.empty() && line.back() == '\n')
            line.remove_suffix(1);
        return "AI keyword \"" + keywords.words()[report.keyword] + "\" in the line \"" +
               std::string(line) + "\"";
    }
    case FolderOutcome::EngineType:
        return "engine_type " + std::to_string(found->engineType) +
               " is not listed (only 0 piston, 1 jet and 5 turboprop are)";
    case FolderOutcome::NoTitle:
        return "no title line";
    case FolderOutcome::LightWeight:
        return "an empty weight of 10 lb or less (" + std::to_string(found->weight) + ")";
    case FolderOutcome::NoEngine:
        return "no engine line (Engine.0=...)";
    case FolderOutcome::NoCfg:
        return "no aircraft.cfg";
    case FolderOutcome::NotOpened:
        if (report.error == EISDIR || report.error == EINVAL)
            return "aircraft.cfg is not a regular file";
        return std::string("aircraft.cfg cannot be read: ") + std::strerror(report.error);
    case FolderOutcome::TableFull:
        return "not read: the table holds " + std::to_string(kReadLimit) + " aircraft already";
    case FolderOutcome::TooManyFolders:
        return "not read: only the first " + std::to_string(kMaxFolders) + " folders are read";
    case FolderOutcome::Listed:
        break;
    }
    return {};
}

class Explainer : public ScanObserver {
public:
    Explainer(std::FILE* out, const ExcludeKeywords& keywords) : out_(out), keywords_(keywords) {}

    void Folder(std::string_view name, const FolderReport& report) override {
        if (report.outcome != FolderOutcome::Listed) {
            written_ =
                writeLine(out_, name, "left out", leftOutReason(report, keywords_)) && written_;
            return;
        }
        // Every title, as the table shows them with every variation.
        for (int k = 0; k < report.found->titleCount; ++k)
            written_ = writeLine(out_, name, "listed",
                                 report.found->titleText[static_cast<std::size_t>(k)]) &&
                       written_;
    }

    bool written() const { return written_; }

private:
    std::FILE* out_;
    const ExcludeKeywords& keywords_;
    bool written_ = true;
};

} // namespace

bool ExplainScan(FleetState& state, std::FILE* out) {
    FindBaseFolder(state);
    state.keywords.LoadExcludeKeywords(state.config);
    Explainer explainer(out, state.keywords);
    GrabDataFromAircraftCfg(AircraftFolder(state.config), *state.table, state.keywords, &explainer);
    return explainer.written();
}

int ExplainFleet(FleetState& state) {
    FindBaseFolder(state);
    if (!fsx::isDirectory(fsx::resolvePath(AircraftFolder(state.config))))
        return 1; // said on standard error already
    const bool written = ExplainScan(state, stdout);
    if (!written || std::fflush(stdout) != 0) {
        std::fprintf(stderr, "FleetValuer: cannot write to standard output: %s\n",
                     std::strerror(errno));
        return 1;
    }
    return 0;
}

} // namespace tnv::fleet
