// TnvCueLine: the crew pack text editor.
#include "editor/cueline_shell.h"
#include "editor/open_folder.h"
#include "editor/report.h"
#include "editor/sound_cli.h"
#include "platform/base/fs.h"
#include "platform/print/print.h"
#include "platform/window/wnd_app.h"
#include "platform/window/wnd_app_signals.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

using namespace tnv;
using namespace tnv::cueline;

namespace {

const char* const kUsage = "usage: TnvCueLine [FILE]\n"
                           "       TnvCueLine --screenshot OUT.png [--size WxH] [FILE]\n"
                           "       TnvCueLine --print-pdf OUT.pdf [PAPER] FILE\n"
                           "       TnvCueLine --report PATH\n"
                           "       TnvCueLine --wav-info FILE...\n"
                           "       TnvCueLine --play FILE [--volume N]\n";

int usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

// An argument the command line has no place for: an option nobody knows, or a second file.
int unexpected(const std::string& arg) {
    const char* what = arg.size() > 1 && arg[0] == '-' ? "unknown option" : "unexpected argument";
    std::fprintf(stderr, "TnvCueLine: %s '%s'\n", what, arg.c_str());
    return usage();
}

int missingValue(const std::string& option) {
    std::fprintf(stderr, "TnvCueLine: %s needs a value\n", option.c_str());
    return usage();
}

int help() {
    std::fputs(kUsage, stdout);
    std::fputs("\n"
               "  FILE                 open the crew pack of FILE's folder\n"
               "  --screenshot OUT.png render the window to a PNG once the pack is loaded\n"
               "  --size WxH           window size for --screenshot\n"
               "  --print-pdf OUT.pdf  print the crew pack of FILE's folder to a PDF file\n"
               "  --page-size NAME     paper for --print-pdf: A4 (default), Letter, A3...\n"
               "  --landscape          landscape paper for --print-pdf\n"
               "  --report PATH        print the crew pack of PATH, one line per sound\n"
               "  --wav-info FILE...   print the format of WAV files\n"
               "  --play FILE          play a WAV file once\n"
               "  --volume N           volume for --play, 0 to 255 (default 255)\n"
               "  -h, --help           show this help\n"
               "  --version            show the version\n",
               stdout);
    return 0;
}

// "640x480" with both sides from 1 to 10000.
bool parseSize(const std::string& text, int& width, int& height) {
    char tail = 0;
    if (std::sscanf(text.c_str(), "%dx%d%c", &width, &height, &tail) != 2)
        return false;
    return width > 0 && height > 0 && width <= 10000 && height <= 10000;
}

// The editor's window, or a picture of it.
int runEditor(int argc, char** argv) {
    RunOptions options;
    std::string file;
    std::string pdf;
    PageOptions paper;
    bool paperGiven = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--print-pdf" && i + 1 < argc) {
            pdf = argv[++i];
        } else if (arg == "--page-size" && i + 1 < argc) {
            paper.pageSize = argv[++i];
            paperGiven = true;
        } else if (arg == "--landscape") {
            paper.landscape = true;
            paperGiven = true;
        } else if (arg == "--screenshot" && i + 1 < argc) {
            options.screenshotPath = argv[++i];
        } else if (arg == "--size" && i + 1 < argc) {
            if (!parseSize(argv[++i], options.width, options.height))
                return usage();
        } else if (arg == "--print-pdf" || arg == "--page-size" || arg == "--screenshot" ||
                   arg == "--size") {
            return missingValue(arg);
        } else if (!arg.empty() && arg[0] != '-' && file.empty()) {
            file = arg;
        } else {
            return unexpected(arg);
        }
    }
    if (options.width > 0 && options.screenshotPath.empty())
        return usage();
    if (paperGiven && pdf.empty())
        return usage();
    if (!pdf.empty()) {
        if (file.empty() || !options.screenshotPath.empty())
            return usage();
        if (!IsKnownPageSize(paper.pageSize)) {
            std::fprintf(stderr, "TnvCueLine: unknown page size %s\n", paper.pageSize.c_str());
            return 2;
        }
        options.batch = [&pdf, &paper, &file](CWinApp& app) {
            CCueLineView* view = static_cast<CCueLineApp&>(app).view();
            if (!view || view->crewPack().folder().empty()) {
                std::fprintf(stderr, "TnvCueLine: cannot load the crew pack of %s\n", file.c_str());
                return 1;
            }
            std::string error;
            if (!PrintToPdf(pdf, *view, paper, &error)) {
                std::fprintf(stderr, "TnvCueLine: %s\n", error.c_str());
                return 1;
            }
            return 0;
        };
    }
    if (options.screenshotPath.empty() && !options.batch && !WndApp::CanShowWindows()) {
        std::fputs("TnvCueLine: there is no display to show the editor on; "
                   "TnvCueLine --report PATH prints a crew pack instead.\n",
                   stderr);
        return 1;
    }
    // The window takes Ctrl+C and SIGTERM as a close request; a picture or a PDF just ends.
    CloseOnSignals closeOnSignals(options.screenshotPath.empty() && !options.batch);
    CCueLineApp app;
    std::string programPath = fsx::fromDisk(fsx::programPath(argv[0]));
    app.SetProgramPath(programPath);
    // Started from the desktop's menu or a terminal, File, Open begins in the crew packs.
    if (file.empty() && options.screenshotPath.empty() && !options.batch)
        app.SetOpenFolder(OpenFolderOutsideSimulator(programPath, finder::Options{}));
    // The title shows the pack's full folder, as it does for a pack chosen in the open dialog.
    if (!file.empty() && file[0] != '/')
        file = std::filesystem::path(fsx::joinPath(fsx::currentFolder(), file)).lexically_normal();
    app.SetCommandLine(fsx::fromDisk(file));
    return CloseOnSignals::ExitStatus(RunApplication(app, argc, argv, options));
}

} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)
            return help();
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("TnvCueLine %s\n", TNV_VERSION);
            return 0;
        }
    }
    if (std::optional<int> status = runSoundCommand(argc, argv))
        return *status;
    if (argc >= 2 && std::strcmp(argv[1], "--report") == 0) {
        if (argc < 3)
            return missingValue("--report");
        if (argc > 3 || (argv[2][0] == '-' && argv[2][1] != '\0'))
            return unexpected(argv[argc > 3 ? 3 : 2]);
        return runReport(fsx::fromDisk(argv[2]));
    }
    return runEditor(argc, argv);
}
