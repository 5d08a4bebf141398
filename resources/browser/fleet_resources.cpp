#include "resources/browser/fleet_resources.h"

const char* const kFleetAppTitle = "FleetScout";
const char* const kFleetDocString = "Tarnavel FleetScout";
const char* const kFleetWindowTitle = "Tarnavel FleetScout utility";

FrameResources FleetFrameResources() {
    FrameResources r;
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
    r.accelerators = {
        {FVIRTKEY | FCONTROL, 'N', ID_FILE_NEW},   {FVIRTKEY | FCONTROL, 'O', ID_FILE_OPEN},
        {FVIRTKEY | FCONTROL, 'S', ID_FILE_SAVE},  {FVIRTKEY | FCONTROL, 'P', ID_FILE_PRINT},
        {FVIRTKEY | FCONTROL, 'Z', ID_EDIT_UNDO},  {FVIRTKEY | FALT, VK_BACK, ID_EDIT_UNDO},
        {FVIRTKEY | FCONTROL, 'X', ID_EDIT_CUT},   {FVIRTKEY | FSHIFT, VK_DELETE, ID_EDIT_CUT},
        {FVIRTKEY | FCONTROL, 'C', ID_EDIT_COPY},  {FVIRTKEY | FCONTROL, VK_INSERT, ID_EDIT_COPY},
        {FVIRTKEY | FCONTROL, 'V', ID_EDIT_PASTE}, {FVIRTKEY | FSHIFT, VK_INSERT, ID_EDIT_PASTE},
        {FVIRTKEY, VK_F6, ID_NEXT_PANE},           {FVIRTKEY | FSHIFT, VK_F6, ID_PREV_PANE},
    };
    r.strings = {
        {IDR_FLEET_MAINFRAME, kFleetDocString},
        {AFX_IDS_APP_TITLE, kFleetAppTitle},
        {AFX_IDS_IDLEMESSAGE, "Ready"},
        {ID_FILE_NEW, "Create a new document\nNew"},
        {ID_FILE_OPEN, "Open an existing document\nOpen"},
        {ID_FILE_SAVE, "Save the active document\nSave"},
        {ID_FILE_SAVE_AS, "Save the active aircraft list new name\nSave As"},
        {ID_FILE_PRINT, "Print the active document\nPrint"},
        {ID_FILE_PRINT_PREVIEW, "Display full pages\nPrint Preview"},
        {ID_FILE_PRINT_SETUP, "Change the printer and printing options\nPrint Setup"},
        {ID_APP_EXIT, "Quit the application; prompts to save documents\nExit"},
        {ID_VIEW_STATUS_BAR, "Show or hide the status bar\nToggle StatusBar"},
        {ID_VIEW_ALL_VARIATIONS, "Show all aircraft variation"},
        {ID_APP_ABOUT, "Display program information, version number and copyright\nAbout"},
        {ID_EDIT_COPY, "Copy the selection and put it on the Clipboard\nCopy"},
        {ID_EDIT_CUT, "Cut the selection and put it on the Clipboard\nCut"},
        {ID_EDIT_PASTE, "Insert Clipboard contents\nPaste"},
        {ID_EDIT_UNDO, "Undo the last action\nUndo"},
        {ID_NEXT_PANE, "Switch to the next window pane\nNext Pane"},
        {ID_PREV_PANE, "Switch back to the previous window pane\nPrevious Pane"},
        {ID_INDICATOR_CAPS, "CAP"},
        {ID_INDICATOR_NUM, "NUM"},
        {ID_INDICATOR_SCRL, "SCRL"},
    };
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
