#include "resources/browser/fleet_resources.h"

namespace tnv::fleet {

const char* const kFleetAppTitle = "FleetScout";
const char* const kFleetDocString = "Tarnavel FleetScout";
const char* const kFleetWindowTitle = "Tarnavel FleetScout utility";

FrameResources FleetFrameResources() {
    FrameResources r = FrameResources::Standard();
    r.menu = {
        {"&File",
         {{ID_FILE_PRINT, "&Print...\tCtrl+P"},
          {ID_FILE_PRINT_PREVIEW, "Print Pre&view"},
          {ID_FILE_PRINT_SETUP, "P&rint Setup..."},
          {ID_SEPARATOR, ""},
          {ID_APP_EXIT, "E&xit"}}},
        {"&View",
         {{ID_VIEW_STATUS_BAR, "&Status Bar"},
          {ID_VIEW_ALL_VARIATIONS, "&All aircraft variation"}}},
        {"&Sort",
         {{ID_SORT_BY_RANK, "By &Rank"},
          {ID_SORT_BY_NAME, "By aircraft &name"},
          {ID_SORT_BY_WEIGHT, "By &weight"},
          {ID_SORT_BY_TYPE, "By &type"},
          {ID_SORT_BY_PRICE, "By &Price"}}},
        {"&Help",
         {{ID_HELP_KEYWORD_LIST, "&Edit Exclude AI aircraft keyword list"},
          {ID_APP_ABOUT, "&About FleetValuer..."}}},
    };
    r.strings.insert({
        {IDR_FLEET_MAINFRAME, kFleetDocString},
        {AFX_IDS_APP_TITLE, kFleetAppTitle},
        {ID_FILE_SAVE_AS, "Save the active aircraft list new name\nSave As"},
        {ID_VIEW_ALL_VARIATIONS, "Show all aircraft variation"},
    });
    r.iconXpm = kFleetIconXpm;
    return r;
}

DlgTemplate FleetAboutTemplate() {
    DlgTemplate t;
    t.caption = "About Tarnavel FleetScout";
    t.cx = 217;
    t.cy = 90;
    t.controls = {
        {DlgKind::Text, IDC_STATIC, "Tarnavel FleetScout Version 1.0", 29, 10, 140, 8, SS_LEFT},
        {DlgKind::Text, IDC_STATIC,
         "This utility gives the price of each aircraft installed in the simulator as Tarnavel "
         "counts it in career mode, and the career rank from which a pilot may fly it.",
         11, 33, 193, 33, SS_LEFT},
        {DlgKind::Text, IDC_STATIC, "Aircraft price browser for Tarnavel", 33, 73, 138, 8, SS_LEFT},
        {DlgKind::Button, IDOK, "OK", 178, 7, 32, 14, BS_DEFPUSHBUTTON},
    };
    return t;
}

} // namespace tnv::fleet
