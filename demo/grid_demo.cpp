// tnv-grid-demo: the shared grid on its own, filled the way the two programs fill it.
//   tnv-grid-demo                      shows the window (needs a display)
//   tnv-grid-demo --screenshot OUT.png renders the window to a PNG, with or without a display
#include "grid/window/cell_grid.h"
#include "platform/window/wnd_app.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

using namespace tnv;

namespace {

constexpr COLORREF missingRed = RGB(255, 128, 128);
constexpr COLORREF noTextBlue = RGB(190, 220, 255);

const char* names[] = {"approach.wav",    "boarding.wav",     "cabin_ready.wav", "descent.wav",
                       "doors_armed.wav", "engine_start.wav", "gear_down.wav",   "landing.wav",
                       "pushback.wav",    "seatbelts.wav",    "takeoff.wav",     "taxi.wav"};
const char* texts[] = {"Cabin crew, prepare for landing.",
                       "Welcome aboard, please take your seats.",
                       "Cabin is ready for departure.",
                       "",
                       "Doors armed & cross-checked.",
                       "Starting engine number one.",
                       "Gear down, three green.",
                       "Ladies and gentlemen, welcome to your destination.",
                       "Pushback approved.",
                       "",
                       "Cabin crew, seats for take-off.",
                       "Taxi to holding point."};

class DemoWindow : public CWnd {
public:
    CCellGrid grid;

protected:
    int OnCreate() override {
        Rect client;
        GetClientRect(&client);
        if (!grid.CreateGrid(client, this, 100, WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP))
            return -1;
        fill();
        return 0;
    }
    void OnDestroy() override { WndApp::Quit(); }
    void OnSize(UINT, int cx, int cy) override {
        if (grid.hasWindow())
            grid.MoveWindow(Rect{0, 0, cx, cy});
    }

private:
    void fill() {
        const int rows = 41;
        grid.SetNumRows(rows);
        grid.SetNumCols(4);
        grid.SetNumFixedRows(1);
        grid.SetNumFixedCols(1);
        grid.SetCellText(0, 0, "No.");
        grid.SetCellText(0, 1, "File name");
        grid.SetCellText(0, 2, "Text");
        grid.SetCellText(0, 3, "Length");
        for (int r = 1; r < rows; ++r) {
            int i = (r - 1) % 12;
            char number[8];
            std::snprintf(number, sizeof number, "%03i", r);
            grid.SetCellText(r, 0, number);
            grid.SetCellText(r, 1, names[i]);
            grid.SetCellText(r, 2, texts[i]);
            GRIDCELLINFO info;
            info.row = r;
            info.col = 3;
            info.mask = GCIF_TEXT | GCIF_FORMAT | GCIF_DATA;
            info.text = std::to_string(1 + (r * 37) % 19) + " s";
            info.format = DT_CENTER;
            info.data = r;
            grid.SetCellInfo(&info);
            if (texts[i][0] == '\0')
                grid.SetCellBackColor(r, 2, noTextBlue);
            if (r % 7 == 3)
                grid.SetCellBackColor(r, 2, missingRed);
        }
        grid.SetColSize(0, 44);
        grid.FitColumnWidth(1);
        grid.FitColumnWidth(2);
        grid.SetColSize(3, 70);
        grid.SetCellState(6, 1, GCS_OUTLINED);
        grid.SetSelectionAnchor(CGridPos(3, 1));
        grid.SelectCellsTo(CGridPos(5, 2));
        grid.SetCurrentCell(4, 2);
        grid.RecalcScrollBars();
        grid.Invalidate(TRUE);
    }
};

} // namespace

int main(int argc, char** argv) {
    std::string screenshot;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--screenshot") == 0 && i + 1 < argc) {
            screenshot = argv[++i];
        } else {
            std::fprintf(stderr, "usage: tnv-grid-demo [--screenshot OUT.png]\n");
            return 2;
        }
    }
    bool display = std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY");
    if (!display && !std::getenv("QT_QPA_PLATFORM")) {
        if (screenshot.empty()) {
            std::fprintf(stderr, "tnv-grid-demo: no display; use --screenshot OUT.png\n");
            return 1;
        }
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    WndApp app(argc, argv);
    DemoWindow window;
    if (!window.CreateTopLevel("Grid demo", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                               Rect{0, 0, 640, 420})) {
        std::fprintf(stderr, "tnv-grid-demo: cannot create the window\n");
        return 1;
    }
    if (!screenshot.empty()) {
        WndApp::ProcessEvents();
        if (!window.SaveWindowImage(screenshot)) {
            std::fprintf(stderr, "tnv-grid-demo: cannot write %s\n", screenshot.c_str());
            return 1;
        }
        return 0;
    }
    return app.Run();
}
