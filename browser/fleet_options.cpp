#include "browser/fleet_options.h"

#include <cstdio>

namespace tnv::fleet {

namespace {

bool parseSort(const std::string& name, AircraftSortMode* sort) {
    static const struct {
        const char* name;
        AircraftSortMode mode;
    } kSorts[] = {{"rank", SortByRank},
                  {"name", SortByName},
                  {"type", SortByType},
                  {"weight", SortByWeight},
                  {"price", SortByPrice}};
    for (const auto& s : kSorts) {
        if (name == s.name) {
            *sort = s.mode;
            return true;
        }
    }
    return false;
}

bool parseSize(const std::string& text, int* width, int* height) {
    int w = 0;
    int h = 0;
    char extra = 0;
    if (std::sscanf(text.c_str(), "%dx%d%c", &w, &h, &extra) != 2 || w < 100 || h < 100 ||
        w > 10000 || h > 10000)
        return false;
    *width = w;
    *height = h;
    return true;
}

} // namespace

const char* FleetUsage() {
    return "usage: FleetValuer [OPTION]...\n"
           "Shows the simulator's aircraft with their price and career rank.\n"
           "  --base DIR           the add-on's folder (default: two levels above the program)\n"
           "  --sort ORDER         rank, name, type, weight or price (default: rank)\n"
           "  --all-variations     one row per livery instead of one per aircraft folder\n"
           "  --export PATH|-      write the table as CSV to PATH or standard output, no window\n"
           "  --utf8               write the CSV in UTF-8 (default: the add-on's Windows-1252)\n"
           "  --explain            tell for each aircraft folder why it is listed or left out\n"
           "  --screenshot OUT.png render the window after start-up to OUT.png and exit\n"
           "  --size WxH           the size of the window's table area, in pixels\n"
           "  --print-pdf OUT.pdf  print the table to a PDF file, no window\n"
           "  --page-size NAME     paper for --print-pdf: A4 (default), Letter, A3...\n"
           "  --landscape          landscape paper for --print-pdf\n"
           "  -h, --help           this text\n"
           "  --version            the program's version\n";
}

std::optional<FleetOptions> ParseFleetOptions(const std::vector<std::string>& args,
                                              std::string* error) {
    FleetOptions o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        // The argument's value; false, with the error, when there is none or (where `empty`
        // names the fault) when it is empty.
        auto value = [&](std::string* out, const char* empty = nullptr) {
            if (i + 1 >= args.size()) {
                *error = a + " needs a value";
                return false;
            }
            *out = args[++i];
            if (empty && out->empty()) {
                *error = a + " needs " + empty;
                return false;
            }
            return true;
        };
        std::string v;
        if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--version") {
            o.version = true;
        } else if (a == "--all-variations") {
            o.allVariations = true;
        } else if (a == "--base") {
            if (!value(&o.base, "a folder"))
                return std::nullopt;
        } else if (a == "--sort") {
            if (!value(&v))
                return std::nullopt;
            if (!parseSort(v, &o.sort)) {
                *error = "unknown sort order \"" + v + "\" (rank, name, type, weight or price)";
                return std::nullopt;
            }
        } else if (a == "--export") {
            if (!value(&o.exportPath, "a file name or -"))
                return std::nullopt;
            o.doExport = true;
        } else if (a == "--utf8") {
            o.utf8 = true;
        } else if (a == "--explain") {
            o.explain = true;
        } else if (a == "--screenshot") {
            if (!value(&o.screenshot, "a file name"))
                return std::nullopt;
        } else if (a == "--print-pdf") {
            if (!value(&o.printPdf, "a file name"))
                return std::nullopt;
        } else if (a == "--page-size") {
            if (!value(&o.pageSize))
                return std::nullopt;
        } else if (a == "--landscape") {
            o.landscape = true;
        } else if (a == "--size") {
            if (!value(&v))
                return std::nullopt;
            if (!parseSize(v, &o.width, &o.height)) {
                *error = "bad size \"" + v + "\" (WIDTHxHEIGHT, 100 to 10000 pixels each)";
                return std::nullopt;
            }
        } else {
            *error = (a.size() > 1 && a[0] == '-' ? "unknown option '" : "unexpected argument '") +
                     a + "'";
            return std::nullopt;
        }
    }
    if (!o.printPdf.empty() && (o.doExport || !o.screenshot.empty())) {
        *error = "--print-pdf cannot be used with --export or --screenshot";
        return std::nullopt;
    }
    if (o.utf8 && !o.doExport) {
        *error = "--utf8 is for --export";
        return std::nullopt;
    }
    if (o.explain && (o.doExport || !o.screenshot.empty() || !o.printPdf.empty())) {
        *error = "--explain cannot be used with --export, --screenshot or --print-pdf";
        return std::nullopt;
    }
    if (o.doExport && !o.screenshot.empty()) {
        *error = "--export and --screenshot cannot be used together";
        return std::nullopt;
    }
    return o;
}

} // namespace tnv::fleet
