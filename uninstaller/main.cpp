// Uninstall Tarnavel: the removal dialog, or the removal without a window (--silent), or the list
// of what it would remove (--dry-run).
#include "platform/dialogs/dialog.h"
#include "platform/window/wnd_app.h"
#include "platform/window/wnd_app_signals.h"
#include "uninstaller/removal.h"
#include "uninstaller/uninstall_dialog.h"

#include <cstdio>
#include <cstring>
#include <string>

using namespace tnv;
using namespace tnv::uninstall;

namespace {

const char* const kUsage =
    "usage: UninstallTarnavel [--silent | --dry-run]\n"
    "  (no option)  open the uninstall window\n"
    "  --silent     remove without a window, as if Uninstall and then\n"
    "               Finish were clicked\n"
    "  --dry-run    print each path the removal would act on, one a line (quoted\n"
    "               for the shell when it holds a control character); remove nothing\n"
    "  -h, --help   show this help\n"
    "  --version    show the version\n";

void printLine(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// The removal's progress as lines of text.
class PrintedView : public uninstall::RemovalView {
public:
    void DisableUninstall() override {}
    void ShowLabel(const std::string& text) override { printLine(text); }
    void ShowFinish() override {}
};

} // namespace

int main(int argc, char** argv) {
    bool silent = false;
    bool dryRun = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--silent") == 0) {
            silent = true;
        } else if (std::strcmp(argv[i], "--dry-run") == 0) {
            dryRun = true;
        } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (std::strcmp(argv[i], "--version") == 0) {
            std::puts("UninstallTarnavel " TNV_VERSION);
            return 0;
        } else {
            const char* what =
                argv[i][0] == '-' && argv[i][1] != '\0' ? "unknown option" : "unexpected argument";
            std::fprintf(stderr, "UninstallTarnavel: %s '%s'\n%s", what, argv[i], kUsage);
            return 2;
        }
    }
    if (silent && dryRun) {
        std::fprintf(stderr, "UninstallTarnavel: --silent and --dry-run exclude each other\n%s",
                     kUsage);
        return 2;
    }

    uninstall::Environment env = uninstall::CurrentEnvironment(argc > 0 ? argv[0] : nullptr);
    if (dryRun || silent) {
        uninstall::RemovalPlan plan = uninstall::MakePlan(env);
        if (!plan.refusal.empty()) {
            std::fprintf(stderr, "UninstallTarnavel: %s\n", plan.refusal.c_str());
            return 1;
        }
        if (dryRun) {
            for (const std::string& path : uninstall::PlanPaths(plan))
                printLine(uninstall::PrintablePath(path));
            return 0;
        }
    }
    if (silent) {
        PrintedView view;
        return uninstall::RunRemoval(env, view, uninstall::StartScriptDetached) ==
                       uninstall::Outcome::Completed
                   ? 0
                   : 1;
    }
    if (!WndApp::CanShowWindows()) {
        std::fputs("UninstallTarnavel: there is no display to show the window on; use --silent "
                   "to remove without a window, or --dry-run to see what would be removed.\n",
                   stderr);
        return 1;
    }
    // Ctrl+C and SIGTERM close the window as its close box does.
    CloseOnSignals closeOnSignals;
    WndApp app(argc, argv, "uninstall-tarnavel"); // its desktop entry
    CUninstallDialog dialog(env, uninstall::StartScriptDetached);
    dialog.DoModal();
    return CloseOnSignals::ExitStatus(0);
}
