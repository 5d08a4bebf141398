// TnvCueLine as the keyboard tests drive it: on the demo-like pack, or on one long enough to
// scroll.
#include "tests/editor/editor_fixture.h"
#include "tests/programs/keyed_program.h"

namespace {

struct CueLine : KeyedProgram {
    struct Fixture : EditorFixture {
        void TestBody() override {}
    } f;

    CueLine() {
        f.SetUp();
        column = 2;
        scrolledRows = 3;
        scrolled = entered = CGridPos(3, 2);
        enteredPicked = 1;
        thenKeys = {Qt::Key_Down, Qt::Key_Down};
        thenCell = CGridPos(4, 2);
        // Status Bar, then No sort, then Sort by Filename (the separator is passed over).
        walkedMenu = Qt::Key_V;
        walkedTitle = "&View";
        walkedDown = 2;
        walkedCommand = ID_SORT_FILENAME;
        letters = {{Qt::Key_V, Qt::Key_T, ID_SORT_TEXT, true},
                   {Qt::Key_V, Qt::Key_D, ID_DISPLAY_ROWNUMBER, false},
                   {Qt::Key_V, Qt::Key_N, ID_SORT_NONE, true}};
        crossedMenu = Qt::Key_F;
        crossing = {{Qt::Key_unknown, "&File"}, {Qt::Key_Right, "&View"}, {Qt::Key_Left, "&File"}};
        aboutTitle = "About CueLine";
    }
    ~CueLine() override { f.TearDown(); }

    bool start() override { return f.startOnPack(); }
    void useLongTable() override {
        std::string text;
        for (int i = 0; i < 60; ++i)
            text += "s" + std::to_string(i) + ".wav;Text " + std::to_string(i) + "\r\n";
        f.pack = f.makePack("Long", text, {});
    }
    FrameResources resources() const override { return CueLineFrameResources(); }
    CFrameWnd& frame() override { return f.frame(); }
    CCellGrid& grid() override { return f.grid(); }
    bool modified() override { return f.view().refreshModified(); }
};

} // namespace

std::unique_ptr<KeyedProgram> cueLineKeys() {
    return std::make_unique<CueLine>();
}
